# The Windows part of the project, cross-built with MinGW-w64
# (cmake/mingw-w64-x86_64.cmake). Included by the top-level CMakeLists.txt
# after the plug-in targets are defined: links JUCE's image and zlib code
# against the static Windows libraries, strips the release binaries, and adds
# the Windows tests (packaging checks and a VST3 host run under Wine).

if(NOT MINGW OR NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    message(FATAL_ERROR "PlumoraWindows.cmake is for the 64-bit MinGW-w64 build "
                        "(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)")
endif()

# --- JUCE's system libraries --------------------------------------------------
# Debian's JUCE has its bundled zlib, libpng and libjpeg removed and includes
# the system headers instead; on Linux JUCE links them through pkg-config.
# Here they are static MinGW builds: zlib from libz-mingw-w64-dev, libpng and
# libjpeg-turbo from scripts/build-windows-deps.sh. (FFTW, from the same
# script, is found by the top-level find_library through the toolchain's
# find root path.)
if(NOT EXISTS "${PLUMORA_MINGW_DEPS}/.plumora-deps-recipe")
    message(FATAL_ERROR "The Windows libraries are not built in '${PLUMORA_MINGW_DEPS}'. "
                        "Run scripts/build-windows-deps.sh first (scripts/build-windows.sh does).")
endif()

find_path(PLUMORA_PNG_INCLUDE_DIR png.h REQUIRED NO_DEFAULT_PATH PATHS "${PLUMORA_MINGW_DEPS}/include" NO_CMAKE_FIND_ROOT_PATH)
find_path(PLUMORA_JPEG_INCLUDE_DIR jpeglib.h REQUIRED NO_DEFAULT_PATH PATHS "${PLUMORA_MINGW_DEPS}/include" NO_CMAKE_FIND_ROOT_PATH)
find_library(PLUMORA_PNG_LIBRARY NAMES libpng16.a REQUIRED NO_DEFAULT_PATH PATHS "${PLUMORA_MINGW_DEPS}/lib" NO_CMAKE_FIND_ROOT_PATH)
find_library(PLUMORA_JPEG_LIBRARY NAMES libjpeg.a REQUIRED NO_DEFAULT_PATH PATHS "${PLUMORA_MINGW_DEPS}/lib" NO_CMAKE_FIND_ROOT_PATH)
# The static archive, not libz.dll.a: the plug-in must not need zlib1.dll.
find_library(PLUMORA_ZLIB_LIBRARY NAMES libz.a REQUIRED)

# JUCE's modules are interface libraries compiled into each target that uses
# them, so this reaches the plug-in, the standalone app and the test host.
target_include_directories(juce_graphics INTERFACE "${PLUMORA_PNG_INCLUDE_DIR}" "${PLUMORA_JPEG_INCLUDE_DIR}")
target_link_libraries(juce_graphics INTERFACE "${PLUMORA_PNG_LIBRARY}" "${PLUMORA_JPEG_LIBRARY}" "${PLUMORA_ZLIB_LIBRARY}")
target_link_libraries(juce_core INTERFACE "${PLUMORA_ZLIB_LIBRARY}")

# --- release binaries ---------------------------------------------------------
# Stripped: symbols and debug information stay out of what is shipped.
foreach(binary IN ITEMS Plumora_VST3 Plumora_Standalone)
    if(TARGET ${binary})
        target_link_options(${binary} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
    endif()
endforeach()

# --- tests --------------------------------------------------------------------
if(PLUMORA_BUILD_TESTS)
    enable_testing()

    # What the plug-in DLL and the app may import: DLLs that ship with Windows.
    set(PLUMORA_WINDOWS_SYSTEM_DLLS
        advapi32 comctl32 comdlg32 crypt32 d2d1 d3d11 dwmapi dwrite dxgi gdi32
        imm32 kernel32 msvcrt ole32 oleaut32 opengl32 rpcrt4 setupapi shell32
        shlwapi user32 version wininet winmm ws2_32 wsock32)
    string(REPLACE ";" "," plumora_allowed_dlls "${PLUMORA_WINDOWS_SYSTEM_DLLS}")

    # The module sits where Windows hosts look for it inside the bundle,
    # exports the VST3 entry points and carries no MinGW runtime DLLs.
    add_test(NAME windows.vst3_module
        COMMAND "${CMAKE_COMMAND}"
            -DOBJDUMP=${CMAKE_OBJDUMP}
            -DBINARY=$<TARGET_FILE:Plumora_VST3>
            -DEXPECT_PATH_SUFFIX=/VST3/Plumora.vst3/Contents/x86_64-win/Plumora.vst3
            -DEXPORTS=GetPluginFactory,InitDll,ExitDll
            -DALLOWED_DLLS=${plumora_allowed_dlls}
            -DEXPECT_STRIPPED=$<IF:$<CONFIG:Release,MinSizeRel>,1,0>
            -P "${CMAKE_CURRENT_LIST_DIR}/CheckWindowsBinary.cmake")
    set_tests_properties(windows.vst3_module PROPERTIES LABELS "windows;packaging")
    if(TARGET Plumora_Standalone)
        add_test(NAME windows.standalone_app
            COMMAND "${CMAKE_COMMAND}"
                -DOBJDUMP=${CMAKE_OBJDUMP}
                -DBINARY=$<TARGET_FILE:Plumora_Standalone>
                -DEXPECT_PATH_SUFFIX=/Standalone/Plumora.exe
                -DALLOWED_DLLS=${plumora_allowed_dlls}
                -DEXPECT_STRIPPED=$<IF:$<CONFIG:Release,MinSizeRel>,1,0>
                -P "${CMAKE_CURRENT_LIST_DIR}/CheckWindowsBinary.cmake")
        set_tests_properties(windows.standalone_app PROPERTIES LABELS "windows;packaging")
    endif()

    # The S!MPLE data files (copied by the top-level CMakeLists.txt) sit in
    # the bundle's Contents/Resources, where the plug-in finds them one level
    # above its DLL, and beside the app.
    foreach(folder IN ITEMS VST3/Plumora.vst3/Contents/Resources Standalone/resources)
        string(REGEX REPLACE "/.*" "" format "${folder}")
        foreach(file IN LISTS plumoraResourceFiles)
            string(MAKE_C_IDENTIFIER "${file}" name)
            add_test(NAME windows.resources.${format}.${name}
                COMMAND "${CMAKE_COMMAND}" -E compare_files
                    "${CMAKE_SOURCE_DIR}/resources/${file}" "${plumoraProducts}/${folder}/${file}")
            set_tests_properties(windows.resources.${format}.${name} PROPERTIES LABELS "windows;packaging")
        endforeach()
    endforeach()

    add_subdirectory(tests/windows)
endif()
