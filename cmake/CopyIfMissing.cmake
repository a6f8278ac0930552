# cmake -DFROM=<file> -DTO=<file> -P CopyIfMissing.cmake
# Lays a delivered file into a program folder only when the folder does not have it yet: the
# database and the INI file of an installation hold the user's work and settings, and a new
# build or a reinstallation must never replace them.
if(NOT EXISTS "${TO}")
    get_filename_component(folder "${TO}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(COPY_FILE "${FROM}" "${TO}")
endif()
