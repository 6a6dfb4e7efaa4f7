# The end-to-end tests are Windows programs built by a Windows preset; the native
# build runs them in Wine, so that one ctest run covers both layers.
set(NOWPLAYING_E2E_BIN_DIR "" CACHE PATH "bin folder of the Windows build whose tests run in Wine here")
if(NOWPLAYING_E2E_BIN_DIR)
  foreach(suite spine_e2e about_e2e titles_e2e dll_search_e2e tray_e2e wiring_e2e)
    add_test(NAME e2e.${suite}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${NOWPLAYING_E2E_BIN_DIR}/${suite}.exe)
    set_tests_properties(e2e.${suite} PROPERTIES RESOURCE_LOCK wine TIMEOUT 600)
  endforeach()
endif()

# The notification icon and the song broadcast also run under older Windows versions
# as Wine emulates them (the 95 family reads titles through the ANSI functions).
set(NOWPLAYING_E2E_VERSIONS win98 winme nt40 winxp CACHE STRING "Wine Version settings of the version matrix")
if(NOWPLAYING_E2E_BIN_DIR)
  foreach(suite spine_e2e)
    foreach(version ${NOWPLAYING_E2E_VERSIONS})
      add_test(NAME e2e.${suite}.${version}
               COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${NOWPLAYING_E2E_BIN_DIR}/${suite}.exe
                       --gtest_filter=-*Latency*:*Restacked*)
      set_tests_properties(e2e.${suite}.${version} PROPERTIES RESOURCE_LOCK wine TIMEOUT 600
                           ENVIRONMENT NOWPLAYING_WINE_VERSION=${version})
    endforeach()
  endforeach()
endif()
