/* Command ids of the main menu "KORVEL"; included by korvel.rc and by the Windows
   host, which dispatches WM_COMMAND on them. Kept to plain #defines so the
   resource compiler can read it. */
#ifndef KORVEL_RESOURCE_H
#define KORVEL_RESOURCE_H

#define IDM_FILE_EXIT 40001
#define IDM_FILE_LOAD 40010
#define IDM_FILE_SAVE 40011
#define IDM_OPERATE_RESET 40020
#define IDM_HELP_ABOUT 40099

#endif
