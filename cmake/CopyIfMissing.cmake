# cmake -DFROM=<file> -DTO=<file> [-DWITH=<folder> -DUNLESS=<file>] -P CopyIfMissing.cmake
# Lays a delivered file into a program folder only when the folder does not have it yet: the
# database and the INI file of an installation hold the user's work and settings, and a new
# build or a reinstallation must never replace them.
#
# WITH names a folder whose files are laid beside the file, and only when the file itself is
# laid: the decode tables and their flag go with a new database, whose first start loads them;
# laid again over an installation in use they would empty and reload its tables at each upgrade.
# UNLESS names a file whose presence marks such an installation even though the file is missing
# (the INI file of one whose database lies elsewhere, on a shared folder): nothing comes WITH then.
if(NOT EXISTS "${TO}")
    get_filename_component(folder "${TO}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(COPY_FILE "${FROM}" "${TO}")
    if(WITH AND NOT (UNLESS AND EXISTS "${UNLESS}"))
        file(GLOB companions LIST_DIRECTORIES false "${WITH}/*")
        foreach(companion IN LISTS companions)
            get_filename_component(name "${companion}" NAME)
            file(COPY_FILE "${companion}" "${folder}/${name}")
        endforeach()
    endif()
endif()
