# Writes OUTPUT, a C++ source that holds the PNG files IMAGE_DIR/<id>.png as byte arrays
# together with the table of kEmbeddedImages (EmbeddedArt.h), for the ids in IDS (comma
# separated) in that order. Run with cmake -P.
string(REPLACE "," ";" ids "${IDS}")

set(arrays "")
set(table "")
foreach(id IN LISTS ids)
    file(READ "${IMAGE_DIR}/${id}.png" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "const unsigned char ${id}_png[] = {\n    ${bytes}\n};\n\n")
    string(APPEND table "    {\"${id}\", ${id}_png, sizeof ${id}_png},\n")
endforeach()

file(WRITE "${OUTPUT}" "// Made at build time from the pictures that vq-artgen draws. Do not edit.
#include \"EmbeddedArt.h\"

namespace vq {

namespace {

${arrays}}  // namespace

const EmbeddedImage kEmbeddedImages[] = {
${table}};

const std::size_t kEmbeddedImageCount = sizeof kEmbeddedImages / sizeof kEmbeddedImages[0];

}  // namespace vq
")
