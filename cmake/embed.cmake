# Run by tovren_embed_files at build time: writes a C++ source that holds each file's bytes.
# -DOUTPUT=FILE.cpp -DINPUTS=a;b;c -DNAMES=x;y;z (the names the program asks for them by)
list(LENGTH INPUTS count)
set(arrays "")
set(table "")
math(EXPR last "${count} - 1")
foreach(at RANGE ${last})
    list(GET INPUTS ${at} input)
    list(GET NAMES ${at} name)
    file(READ "${input}" hex HEX)
    string(LENGTH "${hex}" length)
    if(length EQUAL 0)
        set(bytes "0")
        set(size 0)
    else()
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
        string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
        math(EXPR size "${length} / 2")
    endif()
    string(APPEND arrays "constexpr unsigned char file${at}[] = {\n${bytes}};\n")
    string(APPEND table "        {\"${name}\", std::string_view(reinterpret_cast<const char*>(file${at}), ${size})},\n")
endforeach()
file(WRITE "${OUTPUT}.new" "// Made by cmake/embed.cmake from the files it names; not to be edited.
#include \"worldtool/embeddedfiles.h\"

#include <array>

namespace tovren {

namespace {
${arrays}
} // namespace

std::string_view embeddedFile(std::string_view name) {
    static const std::array<std::pair<std::string_view, std::string_view>, ${count}> files{{
${table}    }};
    for (const auto& [fileName, bytes] : files) {
        if (fileName == name) {
            return bytes;
        }
    }
    return {};
}

} // namespace tovren
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
