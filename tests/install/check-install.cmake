# cmake -DBUILD=<build folder> -DPREFIX=<empty folder> -DSQLITE3=<sqlite3 shell> -P check-install.cmake
# Lays out a program folder with `cmake --install` and proves that it is complete, that the
# command line starts from it, that its first load fills the decode tables from the delivered
# files, and that installing again keeps the user's database and settings and delivers no decode
# table again (it would empty and reload them at each upgrade).

set(delivered_tables Comuni.txt Province.txt Regioni.txt TipoCompo.txt TipoOper.txt installa.tab)

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

function(count_rows table out)
    execute_process(COMMAND "${SQLITE3}" "${PREFIX}/VELTRANORPX.db" "SELECT COUNT(*) FROM ${table}"
                    OUTPUT_VARIABLE n OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "cannot count the rows of ${table}")
    endif()
    set(${out} "${n}" PARENT_SCOPE)
endfunction()

function(check_no_tables_laid why)
    foreach(name ${delivered_tables})
        if(EXISTS "${PREFIX}/${name}")
            message(FATAL_ERROR "installing again delivered ${name} to an installation ${why}")
        endif()
    endforeach()
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
foreach(name veltranorpx veltranorpx-cli libvx_sheets.so VELTRANORPX.db VELTRANORPX.INI help/VELTRANORPX.html
             GuidaSezioneSoggettiRuoli.txt ExportRuoli.xlsx _VELTRANORPX_01.html ${delivered_tables})
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

# The load a first start runs: the flag is consumed, the tables filled, the files moved to Car.
execute_process(COMMAND "${PREFIX}/veltranorpx-cli" aggiorna-tabelle OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "veltranorpx-cli aggiorna-tabelle failed (${rc}): ${out}${err}")
endif()
foreach(name ${delivered_tables})
    if(EXISTS "${PREFIX}/${name}")
        message(FATAL_ERROR "the first load left ${name} in the program folder")
    endif()
endforeach()
foreach(table Comuni Province Regioni TipoCompo TipoOper)
    count_rows(${table} n)
    if(n LESS 1 OR NOT EXISTS "${PREFIX}/Car/${table}.txt")
        message(FATAL_ERROR "the delivered ${table}.txt was not loaded (${n} rows)")
    endif()
endforeach()

# Installing again replaces the programs and keeps the database and the settings.
file(SHA256 "${PREFIX}/VELTRANORPX.db" db_before)
install_once()
file(SHA256 "${PREFIX}/VELTRANORPX.db" db_after)
file(READ "${PREFIX}/VELTRANORPX.INI" ini_after)
if(NOT db_before STREQUAL db_after OR NOT ini_after STREQUAL ini)
    message(FATAL_ERROR "installing again replaced the database or the INI file")
endif()
check_no_tables_laid("in use")
run_cli(TRUE "StandAlone")

# An installation whose database lies elsewhere (a shared folder) has no database file in its
# program folder, only its INI file: installing again delivers no decode table to it either.
set(shared "${PREFIX}-condivisa/VELTRANORPX.db")
file(REMOVE_RECURSE "${PREFIX}-condivisa")
file(MAKE_DIRECTORY "${PREFIX}-condivisa")
file(RENAME "${PREFIX}/VELTRANORPX.db" "${shared}")
string(REPLACE "Database=${PREFIX}/VELTRANORPX.db\n" "Database=${shared}\n" ini "${ini}")
file(WRITE "${PREFIX}/VELTRANORPX.INI" "${ini}")
install_once()
check_no_tables_laid("whose database lies elsewhere")
run_cli(TRUE "StandAlone")
