# End-to-end run of the real program under Wine: a driver that operates the
# window as a person would, and a Python runner that serves a scripted site on
# 127.0.0.1, starts one Xvfb, runs the driver and checks files and requests.
add_executable(velmora-e2e-driver tests/e2e/DriverWin32.cpp)
target_include_directories(velmora-e2e-driver PRIVATE src ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(velmora-e2e-driver PRIVATE user32 gdi32)

# The run needs a build whose hosts are ports on this machine.
if(VELMORA_SEARCH_HOST MATCHES "^127\\.0\\.0\\.1:[0-9]+$" AND VELMORA_PHOTO_HOST MATCHES "^127\\.0\\.0\\.1:[0-9]+$")
  add_test(NAME e2e
           COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/run_e2e.py
                   --build-dir ${CMAKE_BINARY_DIR}
                   --search-host ${VELMORA_SEARCH_HOST} --photo-host ${VELMORA_PHOTO_HOST})
  # RESOURCE_LOCK: the site listens on the build's two ports.
  set_tests_properties(e2e PROPERTIES TIMEOUT 300 RESOURCE_LOCK velmora-test-hosts
                       ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endif()

# The same program against a hostile site: huge and broken pages, resets,
# silent servers, redirect loops, unsafe member ids, folders that cannot be
# written. Each case is a driver run of its own with its own time limit.
if(VELMORA_SEARCH_HOST MATCHES "^127\\.0\\.0\\.1:[0-9]+$" AND VELMORA_PHOTO_HOST MATCHES "^127\\.0\\.0\\.1:[0-9]+$")
  add_test(NAME e2e-hostile
           COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/run_hostile.py
                   --build-dir ${CMAKE_BINARY_DIR}
                   --search-host ${VELMORA_SEARCH_HOST} --photo-host ${VELMORA_PHOTO_HOST})
  set_tests_properties(e2e-hostile PROPERTIES TIMEOUT 900 RESOURCE_LOCK velmora-test-hosts
                       ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
endif()
