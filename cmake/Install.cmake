# What `cmake --install` puts below the prefix: both programs, the desktop entry,
# the application icon, the AppStream metainfo, the manuals (English and
# Japanese), bash completion, the Data template and the documentation.
# Everything an installed program reads at run time is compiled in (Data
# template, help pages) or comes from the system (Qt's translations), so an
# installed program never looks into the build folder.
include(GNUInstallDirs)

set(ZT_APP_ID org.zutomelark.zutomelark)
set(ZT_SCREENSHOT_URL "https://zutomelark.org/screenshots/main-window.png"
    CACHE STRING "Published address of data/screenshots/main-window.png, for the AppStream metainfo")

foreach(program zutomelark zutomelark-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped install (the package) also drops the compilers' version
    # notes, which only make the programs larger.
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
    endif()")
  endif()
endforeach()

set(ZT_SHARE ${CMAKE_INSTALL_DATAROOTDIR})

# ---- Desktop integration, only with the window.
if(TARGET zutomelark)
  install(FILES data/desktop/${ZT_APP_ID}.desktop DESTINATION ${ZT_SHARE}/applications)
  configure_file(data/desktop/${ZT_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/install/${ZT_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/install/${ZT_APP_ID}.metainfo.xml DESTINATION ${ZT_SHARE}/metainfo)
  install(DIRECTORY data/icons/hicolor DESTINATION ${ZT_SHARE}/icons)
  # The picture the metainfo's screenshot address publishes, for a software
  # centre without network.
  install(FILES data/screenshots/main-window.png DESTINATION ${ZT_SHARE}/zutomelark/screenshots)
endif()

# ---- Licence, copyright and the change log, where Debian keeps them.
set(ZT_PACKAGE_DATE "")
if(ZT_GIT_COMMIT STREQUAL "unknown")
  string(TIMESTAMP ZT_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
else()
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%aD
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE ZT_PACKAGE_DATE
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
configure_file(data/package/changelog.in ${CMAKE_BINARY_DIR}/install/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/install/changelog RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip failed on the change log")
endif()
install(FILES data/package/copyright ${CMAKE_BINARY_DIR}/install/changelog.gz
        DESTINATION ${ZT_SHARE}/doc/zutomelark)

# ---- Manuals: the version filled in, compressed as Debian keeps them. groff
# cannot break Japanese text by itself, so the Japanese pages get a break
# point after each 、 and 。.
function(zt_add_manual source destination)
  get_filename_component(name ${source} NAME)
  file(READ ${CMAKE_SOURCE_DIR}/${source} text)
  string(REPLACE "@VERSION@" "${PROJECT_VERSION}" text "${text}")
  if(source MATCHES "/ja/")
    string(REPLACE "、" "、\\:" text "${text}")
    string(REPLACE "。" "。\\:" text "${text}")
    string(REGEX REPLACE "(\\.TH [^\n]*\n)" ".ds AD l\n\\1.ad l\n" text "${text}")
  endif()
  string(MD5 tag "${source}")
  set(out ${CMAKE_BINARY_DIR}/install/man-${tag}/${name})
  file(WRITE ${out} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${source})
  execute_process(COMMAND gzip -9nf ${out} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip failed on ${out}")
  endif()
  install(FILES ${out}.gz DESTINATION ${destination})
endfunction()

foreach(program zutomelark zutomelark-cli)
  if(TARGET ${program})
    zt_add_manual(data/man/man1/${program}.1 ${CMAKE_INSTALL_MANDIR}/man1)
    zt_add_manual(data/man/ja/man1/${program}.1 ${CMAKE_INSTALL_MANDIR}/ja/man1)
    install(FILES data/completion/${program} DESTINATION ${ZT_SHARE}/bash-completion/completions)
  endif()
endforeach()

# ---- The files a new Data folder is seeded with (the programs carry their own
# copy; this one is for reading and for resetting a folder by hand), and the docs.
install(DIRECTORY data/template/Icon DESTINATION ${ZT_SHARE}/zutomelark/template)
install(FILES README.md docs/FORMATS.md DESTINATION ${ZT_SHARE}/doc/zutomelark)

# ---- Test: install into a temporary DESTDIR and run the installed programs
# with the build and source folders hidden.
if(TARGET zutomelark AND TARGET zutomelark-cli)
  add_test(NAME install_test
           COMMAND ${CMAKE_SOURCE_DIR}/tests/install/install_test.sh
                   ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR} ${ZT_APP_ID})
  set_tests_properties(install_test PROPERTIES TIMEOUT 180)
endif()
