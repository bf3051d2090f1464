# Run by cpack after it has installed each package's files into its staging
# folder and before it packs them (CPACK_PRE_BUILD_SCRIPTS). Does to every
# staged file, whoever installed it, what Debian's own tools (dh_strip,
# dh_compress) do:
#   - strips ELF programs, shared objects and static libraries, with the
#     comment and note sections (static libraries keep their symbol table);
#   - compresses manual pages under share/man and changelogs under share/doc
#     with gzip -9n (no name, no time stamp: the package is reproducible).
if(NOT CPACK_TERRAVEL_STRIP)
  message(FATAL_ERROR "no strip program: CMAKE_STRIP is empty")
endif()
# A release names itself in the changelog and in the AppStream file.
file(STRINGS "${CPACK_TERRAVEL_CHANGELOG}" changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^terravel \\(${CPACK_PACKAGE_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with version "
    "${CPACK_PACKAGE_VERSION}: add an entry for it")
endif()
file(READ "${CPACK_TERRAVEL_METAINFO}" metainfo)
if(NOT metainfo MATCHES "<releases>[ \n]*<release version=\"${CPACK_PACKAGE_VERSION}\"")
  message(FATAL_ERROR "the newest release in ${CPACK_TERRAVEL_METAINFO} is not "
    "${CPACK_PACKAGE_VERSION}: add a <release> for it")
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "failed: ${ARGN}")
  endif()
endfunction()

foreach(file IN LISTS staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 8 HEX)
  if(magic MATCHES "^7f454c46")  # "\x7fELF"
    run(${CPACK_TERRAVEL_STRIP} --strip-unneeded
        --remove-section=.comment --remove-section=.note "${file}")
  elseif(magic STREQUAL "213c617263683e0a")  # "!<arch>\n"
    run(${CPACK_TERRAVEL_STRIP} --strip-debug --enable-deterministic-archives
        --remove-section=.comment --remove-section=.note "${file}")
  elseif(file MATCHES "/share/man/([^/]+/)?man[1-9n]/[^/]+$|/share/doc/[^/]+/changelog$"
         AND NOT file MATCHES "\\.gz$")
    run(gzip -9nf "${file}")
  endif()
endforeach()
