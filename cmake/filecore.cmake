# The shared result file's layer over the operating system, in plain C++ (no
# Qt): the program's kemoro_filecore and the Windows test driver's are built
# from this one list.
function(kemoro_add_filecore src)
    add_library(kemoro_filecore STATIC
        ${src}/platform/rawfile.cpp ${src}/platform/rawfile.h
        ${src}/results/recordformat.h
        ${src}/results/journal.cpp ${src}/results/journal.h
        ${src}/results/rewrite.cpp ${src}/results/rewrite.h
        ${src}/results/memoryrecordio.cpp ${src}/results/memoryrecordio.h
        ${src}/results/sharedfile.cpp ${src}/results/sharedfile.h)
    target_compile_features(kemoro_filecore PUBLIC cxx_std_20)
    target_compile_options(kemoro_filecore PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
    target_include_directories(kemoro_filecore PUBLIC ${src})
    set_target_properties(kemoro_filecore PROPERTIES AUTOMOC OFF)
endfunction()
