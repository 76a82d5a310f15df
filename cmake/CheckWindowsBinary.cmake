# Checks a built Windows (PE) binary with MinGW's objdump:
#   - it exists, at a path ending in EXPECT_PATH_SUFFIX (if given);
#   - it exports every symbol in EXPORTS (comma-separated, if given);
#   - every DLL it imports is in ALLOWED_DLLS (comma-separated, lower-case
#     names without ".dll"), i.e. it needs no DLL that Windows lacks;
#   - with EXPECT_STRIPPED=1, it carries no symbol table and no debug sections.
#
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DBINARY=path ... -P CheckWindowsBinary.cmake

cmake_minimum_required(VERSION 3.22)

foreach(required OBJDUMP BINARY ALLOWED_DLLS)
    if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
        message(FATAL_ERROR "CheckWindowsBinary: ${required} is not set")
    endif()
endforeach()

if(NOT EXISTS "${BINARY}")
    message(FATAL_ERROR "CheckWindowsBinary: ${BINARY} does not exist")
endif()
message(STATUS "Checking ${BINARY}")

set(failures "")

if(DEFINED EXPECT_PATH_SUFFIX AND NOT "${EXPECT_PATH_SUFFIX}" STREQUAL "")
    string(LENGTH "${BINARY}" path_length)
    string(LENGTH "${EXPECT_PATH_SUFFIX}" suffix_length)
    math(EXPR suffix_start "${path_length} - ${suffix_length}")
    set(tail "")
    if(suffix_start GREATER_EQUAL 0)
        string(SUBSTRING "${BINARY}" ${suffix_start} -1 tail)
    endif()
    if(NOT tail STREQUAL EXPECT_PATH_SUFFIX)
        list(APPEND failures "its path does not end in ${EXPECT_PATH_SUFFIX}")
    endif()
endif()

execute_process(COMMAND "${OBJDUMP}" -p "${BINARY}"
    OUTPUT_VARIABLE headers ERROR_VARIABLE objdump_error RESULT_VARIABLE objdump_result)
if(NOT objdump_result EQUAL 0)
    message(FATAL_ERROR "CheckWindowsBinary: ${OBJDUMP} -p failed (${objdump_result}): ${objdump_error}")
endif()
if(NOT headers MATCHES "file format pei-x86-64")
    message(FATAL_ERROR "CheckWindowsBinary: ${BINARY} is not a 64-bit Windows binary")
endif()

# Imports: "\tDLL Name: KERNEL32.dll"
string(REGEX MATCHALL "DLL Name: [^\r\n]+" import_lines "${headers}")
set(imports "")
foreach(line IN LISTS import_lines)
    string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    list(APPEND imports "${dll}")
endforeach()
list(REMOVE_DUPLICATES imports)
message(STATUS "Imports: ${imports}")
if(imports STREQUAL "")
    list(APPEND failures "it imports no DLL at all (objdump output not understood?)")
endif()

string(REPLACE "," ";" allowed "${ALLOWED_DLLS}")
foreach(dll IN LISTS imports)
    string(TOLOWER "${dll}" name)
    string(REGEX REPLACE "\\.dll$" "" name "${name}")
    if(NOT name IN_LIST allowed)
        list(APPEND failures "it imports ${dll}, which is not one of the allowed Windows system DLLs")
    endif()
endforeach()

# Exports: lines of the "[Ordinal/Name Pointer] Table", "\t[   0] GetPluginFactory"
if(DEFINED EXPORTS AND NOT "${EXPORTS}" STREQUAL "")
    set(export_table "")
    string(FIND "${headers}" "[Ordinal/Name Pointer] Table" table_start)
    if(table_start GREATER_EQUAL 0)
        string(SUBSTRING "${headers}" ${table_start} -1 export_table)
        string(FIND "${export_table}" "\n\n" table_end)
        if(table_end GREATER_EQUAL 0)
            string(SUBSTRING "${export_table}" 0 ${table_end} export_table)
        endif()
    endif()
    string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_@]*" export_lines "${export_table}")
    set(exported "")
    foreach(line IN LISTS export_lines)
        string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" symbol "${line}")
        list(APPEND exported "${symbol}")
    endforeach()
    message(STATUS "Exports: ${exported}")
    string(REPLACE "," ";" wanted "${EXPORTS}")
    foreach(symbol IN LISTS wanted)
        if(NOT symbol IN_LIST exported)
            list(APPEND failures "it does not export ${symbol}")
        endif()
    endforeach()
endif()

if(EXPECT_STRIPPED)
    if(NOT headers MATCHES "[\r\n][ \t]*symbols stripped[\r\n]")
        list(APPEND failures "its header does not say 'symbols stripped'")
    endif()
    execute_process(COMMAND "${OBJDUMP}" -t "${BINARY}" OUTPUT_VARIABLE symbols)
    if(NOT symbols MATCHES "SYMBOL TABLE:[\r\n]+no symbols")
        list(APPEND failures "it has a symbol table (not stripped)")
    endif()
    execute_process(COMMAND "${OBJDUMP}" -h "${BINARY}" OUTPUT_VARIABLE sections)
    if(sections MATCHES "\\.debug_")
        list(APPEND failures "it has debug sections (not stripped)")
    endif()
endif()

if(failures)
    list(JOIN failures "\n  - " text)
    message(FATAL_ERROR "${BINARY}:\n  - ${text}")
endif()
message(STATUS "OK")
