# Lays out the Windows download's folder and packs it (cmake -P; the
# arguments come from cmake/windowsDist.cmake). The programs are stripped of
# their symbols: a download has no use for them.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/${FOLDER}/examples)
foreach(program IN LISTS PROGRAMS)
  get_filename_component(name ${program} NAME)
  execute_process(COMMAND ${STRIP} -o ${STAGE}/${FOLDER}/${name} ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(COPY ${TEXTS} DESTINATION ${STAGE}/${FOLDER})
file(GLOB examples ${EXAMPLES}/*.dat)
file(COPY ${examples} DESTINATION ${STAGE}/${FOLDER}/examples)

# A fixed time stamp, so the same programs make the same zip.
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip --mtime=2000-01-01
                        ${FOLDER}
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
