# Writes OUTPUT, the site's service worker, from TEMPLATE: the site's files
# (FILES, paths under SITE) by their names in the site with the digest of each
# one's contents, and VERSION with a digest of them all, so that a rebuild
# that changes any file changes the worker too.
cmake_policy(SET CMP0057 NEW) # if(IN_LIST)
set(names "")
set(inventory "")
foreach(path IN LISTS FILES)
  file(RELATIVE_PATH name ${SITE} ${path})
  file(SHA256 ${path} digest)
  list(APPEND names "'${name}': '${digest}'")
  string(APPEND inventory "${name} ${digest}\n")
endforeach()
list(SORT names)
list(JOIN names ",\n  " KORVEL_SITE_FILES)
string(SHA256 digest "${inventory}")
string(SUBSTRING ${digest} 0 12 digest)
set(KORVEL_SITE_VERSION ${VERSION}-${digest})
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)

# A file an earlier build left in the site that is no longer one of its files
# (a module now bundled, a picture now in another format) goes, so the site
# holds what the worker keeps and nothing a server would publish besides.
file(GLOB_RECURSE present LIST_DIRECTORIES false ${SITE}/*)
foreach(path IN LISTS present)
  if(NOT path IN_LIST FILES AND NOT path STREQUAL OUTPUT)
    file(REMOVE ${path})
  endif()
endforeach()
