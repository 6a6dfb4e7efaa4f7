# The end-to-end tests are Windows programs built by a Windows preset; the native
# build runs them in Wine, so that one ctest run covers both layers.
set(NOWPLAYING_E2E_BIN_DIR "" CACHE PATH "bin folder of the Windows build whose tests run in Wine here")
if(NOWPLAYING_E2E_BIN_DIR)
  foreach(suite spine_e2e about_e2e titles_e2e dll_search_e2e tray_e2e wiring_e2e family_e2e)
    add_test(NAME e2e.${suite}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${NOWPLAYING_E2E_BIN_DIR}/${suite}.exe)
    set_tests_properties(e2e.${suite} PROPERTIES RESOURCE_LOCK wine TIMEOUT 600)
  endforeach()
endif()

# The song broadcast also runs under older Windows versions as Wine emulates them.
# Wine's 95-family settings change only what GetVersion reports, so under them the
# program and the tray test host start through family_launcher.exe, which makes the
# system DLLs' W functions fail as they do there; and with them the odd titles, which
# there pass through the ANSI functions, the About window, the notification icon and
# the whole wired program run too.
set(NOWPLAYING_E2E_VERSIONS win98 winme nt40 winxp CACHE STRING "Wine Version settings of the version matrix")
set(NOWPLAYING_E2E_95_FAMILY win98 winme)
if(NOWPLAYING_E2E_BIN_DIR)
  foreach(version ${NOWPLAYING_E2E_VERSIONS})
    set(environment NOWPLAYING_WINE_VERSION=${version})
    set(suites spine_e2e)
    if(version IN_LIST NOWPLAYING_E2E_95_FAMILY)
      list(APPEND environment NOWPLAYING_EMULATE_95=1)
      list(APPEND suites titles_e2e about_e2e tray_e2e wiring_e2e)
    endif()
    foreach(suite ${suites})
      add_test(NAME e2e.${suite}.${version}
               COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${NOWPLAYING_E2E_BIN_DIR}/${suite}.exe
                       --gtest_filter=-*Latency*:*Restacked*)
      set_tests_properties(e2e.${suite}.${version} PROPERTIES RESOURCE_LOCK wine TIMEOUT 600
                           ENVIRONMENT "${environment}")
    endforeach()
  endforeach()
endif()

# The setup program, installed as on NT and, under the 95-family emulation, as on
# Windows 98. It is 32-bit: where only 64-bit Wine runs, so does the suite, and the
# tests are listed as not run.
set(NOWPLAYING_SETUP_BUILD_DIR "" CACHE PATH "the 32-bit Windows build folder: the setup program, and its test in bin/")
if(NOWPLAYING_SETUP_BUILD_DIR)
  set(command ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${NOWPLAYING_SETUP_BUILD_DIR}/bin/setup_e2e.exe)
  add_test(NAME e2e.setup_e2e COMMAND ${command})
  add_test(NAME e2e.setup_e2e.win98 COMMAND ${command})
  set_tests_properties(e2e.setup_e2e e2e.setup_e2e.win98 PROPERTIES RESOURCE_LOCK wine TIMEOUT 600)
  set_tests_properties(e2e.setup_e2e.win98 PROPERTIES ENVIRONMENT "NOWPLAYING_WINE_VERSION=win98;NOWPLAYING_EMULATE_95=1")
  if(NOT "${NOWPLAYING_SETUP_BUILD_DIR}/bin" STREQUAL "${NOWPLAYING_E2E_BIN_DIR}")
    set_tests_properties(e2e.setup_e2e e2e.setup_e2e.win98 PROPERTIES DISABLED TRUE)
  endif()
endif()
