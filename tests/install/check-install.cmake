# cmake -DBUILD=<build folder> -DPREFIX=<empty folder> -P check-install.cmake
# Lays out a program folder with `cmake --install` and proves that it is complete, that the
# command line starts from it, and that installing again keeps the user's database and settings.

function(run_cli expect_ok pattern)
    execute_process(COMMAND "${PREFIX}/veltranorpx-cli" info OUTPUT_VARIABLE out ERROR_VARIABLE err
                    RESULT_VARIABLE rc)
    if(expect_ok AND NOT rc EQUAL 0)
        message(FATAL_ERROR "veltranorpx-cli info failed (${rc}): ${out}${err}")
    elseif(NOT expect_ok AND rc EQUAL 0)
        message(FATAL_ERROR "veltranorpx-cli info should have failed: ${out}")
    endif()
    if(NOT "${out}${err}" MATCHES "${pattern}")
        message(FATAL_ERROR "veltranorpx-cli info: expected '${pattern}', got: ${out}${err}")
    endif()
endfunction()

function(install_once)
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}" RESULT_VARIABLE rc
                    OUTPUT_QUIET)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "cmake --install failed (${rc})")
    endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
install_once()
foreach(name veltranorpx veltranorpx-cli VELTRANORPX.db VELTRANORPX.INI help/VELTRANORPX.html
             GuidaSezioneSoggettiRuoli.txt ExportRuoli.xlsx _VELTRANORPX_01.html)
    if(NOT EXISTS "${PREFIX}/${name}")
        message(FATAL_ERROR "the installed program folder lacks ${name}")
    endif()
endforeach()

# A new installation: the first start of the program still has to set it up.
run_cli(FALSE "Installazione non ancora impostata")

# Set up as the installation screens do: the command line then opens the delivered database.
file(READ "${PREFIX}/VELTRANORPX.INI" ini)
string(REPLACE "Tipo=\n" "Tipo=StandAlone\n" ini "${ini}")
string(REPLACE "Versione=\n" "Versione=SERVER\n" ini "${ini}")
string(REPLACE "Database=\n" "Database=${PREFIX}/VELTRANORPX.db\n" ini "${ini}")
string(REPLACE "NFileDB=\n" "NFileDB=VELTRANORPX.db\n" ini "${ini}")
file(WRITE "${PREFIX}/VELTRANORPX.INI" "${ini}")
run_cli(TRUE "StandAlone")

# Installing again replaces the programs and keeps the database and the settings.
file(SHA256 "${PREFIX}/VELTRANORPX.db" db_before)
install_once()
file(SHA256 "${PREFIX}/VELTRANORPX.db" db_after)
file(READ "${PREFIX}/VELTRANORPX.INI" ini_after)
if(NOT db_before STREQUAL db_after OR NOT ini_after STREQUAL ini)
    message(FATAL_ERROR "installing again replaced the database or the INI file")
endif()
run_cli(TRUE "StandAlone")
