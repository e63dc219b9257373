# Installs the build into PREFIX and checks what an operator gets:
#   cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -DGUI=1 -P check_install.cmake
cmake_minimum_required(VERSION 3.25)

function(fail)
    string(JOIN "" message ${ARGN})
    message(FATAL_ERROR "install_tree: ${message}")
endfunction()

# Runs a program with HOME inside the test folder and no XDG folders, so the
# user folders are the test's own. Sets <prefix>_out, <prefix>_err, <prefix>_rc.
set(HOME_DIR ${PREFIX}-home)
function(run prefix)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env HOME=${HOME_DIR} --unset=XDG_CONFIG_HOME
                --unset=XDG_DATA_HOME QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${PREFIX}-runtime
                ${ARGN}
        OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
    set(${prefix}_out "${out}" PARENT_SCOPE)
    set(${prefix}_err "${err}" PARENT_SCOPE)
    set(${prefix}_rc "${rc}" PARENT_SCOPE)
endfunction()

function(expect_contains what text needle)
    string(FIND "${text}" "${needle}" at)
    if(at EQUAL -1)
        fail("${what}: \"${needle}\" not found in:\n${text}")
    endif()
endfunction()

file(REMOVE_RECURSE ${PREFIX} ${HOME_DIR} ${PREFIX}-runtime)
file(MAKE_DIRECTORY ${PREFIX}-runtime)
file(CHMOD ${PREFIX}-runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                OUTPUT_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    fail("cmake --install failed (${rc})")
endif()

# The tree: exactly the programs in bin/, the data, the docs and a man page for each program.
set(programs kelvanor-cli kelvanor-kiss-server)
set(expected
    share/kelvanor/conf.ini
    share/kelvanor/limits.ini
    share/kelvanor/recorder.conf
    lib/systemd/system/kelvanor-recorder.service
    share/kelvanor/samples/2020-11-29_kelvanor.kss
    share/kelvanor/samples/satnogs-2020-11-29.csv
    share/doc/kelvanor/README.md
    share/doc/kelvanor/formats.md
    share/doc/kelvanor/performance.md
    share/doc/kelvanor/window.png
    share/doc/kelvanor/copyright
    share/doc/kelvanor/changelog.gz)
if(GUI)
    list(APPEND programs kelvanor nconvert)
    list(APPEND expected
         share/applications/kelvanor.desktop
         share/icons/hicolor/scalable/apps/kelvanor.svg
         share/icons/hicolor/256x256/apps/kelvanor.png)
endif()
foreach(p IN LISTS programs)
    list(APPEND expected bin/${p} share/man/man1/${p}.1.gz)
endforeach()
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    fail("the tree holds\n  ${installed}\ninstead of\n  ${expected}")
endif()
foreach(f IN LISTS expected)
    file(SIZE ${PREFIX}/${f} size)
    if(size EQUAL 0)
        fail("${f} is empty")
    endif()
endforeach()
# Each program's man page unpacks, names the program and the version.
foreach(p IN LISTS programs)
    execute_process(COMMAND gzip -dc ${PREFIX}/share/man/man1/${p}.1.gz
                    OUTPUT_VARIABLE man RESULT_VARIABLE unpacked)
    if(NOT unpacked EQUAL 0)
        fail("the man page of ${p} does not unpack with gzip")
    endif()
    string(TOUPPER "${p}" title)
    expect_contains("man page of ${p}" "${man}" ".TH ${title} 1")
    expect_contains("man page of ${p}" "${man}" "kelvanor ${VERSION}")
endforeach()
if(GUI)
    file(READ ${PREFIX}/share/applications/kelvanor.desktop desktop)
    foreach(line "[Desktop Entry]" "Type=Application" "Exec=kelvanor %F" "Icon=kelvanor")
        expect_contains("desktop entry" "${desktop}" "${line}")
    endforeach()
    file(READ ${PREFIX}/share/icons/hicolor/256x256/apps/kelvanor.png png_head LIMIT 8 HEX)
    if(NOT png_head STREQUAL "89504e470d0a1a0a")
        fail("the PNG icon is not a PNG")
    endif()
endif()

# Every program answers --version with its version and --help with exit 0.
foreach(p IN LISTS programs)
    run(v ${PREFIX}/bin/${p} --version)
    if(NOT v_rc EQUAL 0)
        fail("${p} --version exited ${v_rc}: ${v_err}")
    endif()
    expect_contains("${p} --version" "${v_out}" "${VERSION}")
    run(h ${PREFIX}/bin/${p} --help)
    if(NOT h_rc EQUAL 0)
        fail("${p} --help exited ${h_rc}: ${h_err}")
    endif()
endforeach()

# The installed command-line tool decodes the installed sample, and says that
# its recordings go to the user's data folder.
set(sample ${PREFIX}/share/kelvanor/samples/2020-11-29_kelvanor.kss)
run(cli ${PREFIX}/bin/kelvanor-cli --locale C --print --csv ${PREFIX}-home-pass.csv ${sample})
if(NOT cli_rc EQUAL 0)
    fail("kelvanor-cli on the sample exited ${cli_rc}: ${cli_err}")
endif()
expect_contains("kelvanor-cli --print" "${cli_out}" "0;Beacon Packet;48213;\n")
expect_contains("kelvanor-cli --print" "${cli_out}" "RX Timestamp: 2020-11-29 21:20:01.141 UTC")
file(STRINGS ${PREFIX}-home-pass.csv csv_lines)
list(LENGTH csv_lines csv_count)
if(NOT csv_count EQUAL 301)
    fail("the CSV of the sample has ${csv_count} lines instead of 301")
endif()
file(REMOVE ${PREFIX}-home-pass.csv)
run(clihelp ${PREFIX}/bin/kelvanor-cli --help)
expect_contains("kelvanor-cli --help" "${clihelp_out}" "${HOME_DIR}/.local/share/kelvanor/")

# The command-line tool from the build tree keeps its files beside itself.
run(buildhelp ${BUILD_DIR}/bin/kelvanor-cli --help)
expect_contains("kelvanor-cli --help in the build tree" "${buildhelp_out}" "${BUILD_DIR}/bin/")

if(GUI)
    # The installed window reads the shipped conf.ini until the operator has
    # one of their own.
    run(wh ${PREFIX}/bin/kelvanor --help)
    expect_contains("kelvanor --help" "${wh_out}" "${PREFIX}/share/kelvanor/conf.ini")
    expect_contains("kelvanor --help" "${wh_out}" "${HOME_DIR}/.local/share/kelvanor/")
    file(MAKE_DIRECTORY ${HOME_DIR}/.config/kelvanor)
    file(WRITE ${HOME_DIR}/.config/kelvanor/conf.ini "SCREENSHOT=NO\r\n")
    run(wh ${PREFIX}/bin/kelvanor --help)
    expect_contains("kelvanor --help with the user's conf.ini" "${wh_out}"
                    "${HOME_DIR}/.config/kelvanor/conf.ini")

    # It starts offscreen, decodes the installed sample, creates the user's
    # data folder and writes nothing into the installed tree.
    run(grab ${PREFIX}/bin/kelvanor --grab ${PREFIX}-home-window.png ${sample})
    if(NOT grab_rc EQUAL 0)
        fail("kelvanor --grab exited ${grab_rc}: ${grab_out} ${grab_err}")
    endif()
    expect_contains("kelvanor --grab" "${grab_out}" "saved")
    file(READ ${PREFIX}-home-window.png grab_head LIMIT 8 HEX)
    if(NOT grab_head STREQUAL "89504e470d0a1a0a")
        fail("the window's picture is not a PNG")
    endif()
    file(REMOVE ${PREFIX}-home-window.png)
    if(NOT IS_DIRECTORY ${HOME_DIR}/.local/share/kelvanor)
        fail("the window did not create the user's data folder")
    endif()
    file(GLOB_RECURSE after RELATIVE ${PREFIX} ${PREFIX}/*)
    list(SORT after)
    if(NOT after STREQUAL expected)
        fail("the window changed the installed tree:\n  ${after}")
    endif()
endif()

file(REMOVE_RECURSE ${PREFIX} ${HOME_DIR} ${PREFIX}-runtime)
message(STATUS "install_tree: the installed tree and programs are as expected")
