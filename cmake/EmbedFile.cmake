# Turns a file into a C++ source that holds its bytes, so that a program can carry another file
# (the restart helper) as data. Script mode:
#   cmake -DINPUT=file -DOUTPUT=out.cpp -DHEADER=dir/name.h -DNAMESPACE=ns -DFUNCTION=Name
#         -P EmbedFile.cmake
# The source defines `std::span<const std::uint8_t> NAMESPACE::FUNCTION()`, declared in HEADER.
foreach(var INPUT OUTPUT HEADER NAMESPACE FUNCTION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "EmbedFile.cmake: ${var} is not set")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
if(size EQUAL 0)
  set(bytes "0")
else()
  # 24 bytes to a line, each as 0xNN (CMake's expressions have no counted repeats).
  string(REPEAT "[0-9a-f]" 48 line)
  string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
endif()

get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
     "// Generated from ${input_name} by cmake/EmbedFile.cmake at build time; do not edit.\n"
     "#include \"${HEADER}\"\n\n"
     "namespace ${NAMESPACE} {\nnamespace {\n"
     "const std::uint8_t kBytes[] = {\n${bytes}\n};\n"
     "}  // namespace\n\n"
     "std::span<const std::uint8_t> ${FUNCTION}() {\n"
     "    return std::span(kBytes, ${size});\n}\n\n"
     "}  // namespace ${NAMESPACE}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
