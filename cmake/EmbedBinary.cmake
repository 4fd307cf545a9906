# Writes INPUT as the program's resource image: a byte array the native platform reads.
file(READ ${INPUT} content HEX)
string(LENGTH "${content}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from setup.res: the program's own compiled resources.\n#include <cstddef>\n\nextern \"C\" {\nextern const unsigned char veltrix_program_resources[];\nextern const size_t veltrix_program_resources_size;\nconst unsigned char veltrix_program_resources[] = {\n${bytes}0};\nconst size_t veltrix_program_resources_size = ${size};\n}\n")
