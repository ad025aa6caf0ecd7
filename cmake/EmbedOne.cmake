# Writes OUTPUT, a C++ source holding the bytes of INPUT as tolvane_embedded_IDENT,
# and their SHA-1 in hex as tolvane_embedded_IDENT_sha1.
file(READ ${INPUT} hex HEX)
file(SHA1 ${INPUT} digest)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," body "${hex}")
string(REGEX REPLACE "((('\\\\x[0-9a-f][0-9a-f]',)){32})" "\\1\n" body "${body}")
file(WRITE ${OUTPUT} "#include <cstddef>\n"
  "extern const char tolvane_embedded_${IDENT}[];\n"
  "extern const std::size_t tolvane_embedded_${IDENT}_size;\n"
  "const char tolvane_embedded_${IDENT}[] = {\n${body}0};\n"
  "const std::size_t tolvane_embedded_${IDENT}_size = ${size};\n"
  "extern const char tolvane_embedded_${IDENT}_sha1[];\n"
  "const char tolvane_embedded_${IDENT}_sha1[] = \"${digest}\";\n")
