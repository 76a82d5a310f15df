# Writes a C++ source holding the factory preset texts, in bank order, as
# byte arrays: {text, length, relative path}. Run as a script:
#   cmake -DPRESET_DIR=... -DOUTPUT=... -DPRESETS="a.pmpreset;effects/b.pmpreset" -P EmbedFactoryPresets.cmake
set(body "// Generated from presets/ at build time. Do not edit.\n#include \"presets/FactoryBank.h\"\n\nnamespace plumora\n{\nnamespace\n{\n")
set(table "")
set(index 0)
string(REPLACE "|" ";" PRESETS "${PRESETS}")
foreach(path IN LISTS PRESETS)
    file(READ "${PRESET_DIR}/${path}" hex HEX)
    string(LENGTH "${hex}" hexLength)
    math(EXPR size "${hexLength} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND body "const unsigned char text${index}[] = { ${bytes} 0 };\n")
    string(APPEND table "    { reinterpret_cast<const char*> (text${index}), ${size}, \"${path}\" },\n")
    math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "} // namespace\n\nconst std::vector<FactoryPresetText>& factoryPresetTexts()\n{\n    static const std::vector<FactoryPresetText> texts {\n${table}    };\n    return texts;\n}\n\n} // namespace plumora\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
