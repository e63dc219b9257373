# The installed tree; included from tests/CMakeLists.txt. The test installs
# into a folder of the build tree (never the real system), checks the tree
# and runs the installed programs on the installed sample.
add_test(NAME install_tree
         COMMAND ${CMAKE_COMMAND}
                 -DBUILD_DIR=${PROJECT_BINARY_DIR}
                 -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-tree
                 -DVERSION=${PROJECT_VERSION}
                 -DGUI=$<BOOL:${KELVANOR_BUILD_GUI}>
                 -P ${CMAKE_CURRENT_LIST_DIR}/check_install.cmake)
set_tests_properties(install_tree PROPERTIES TIMEOUT 120)
