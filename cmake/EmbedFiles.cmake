# tolvane_embed(<target> <file>...): compiles each file into <target> as a
# byte array, so fixed drawings and templates travel inside the program and
# cannot go missing from the program folder. Read one with
#   #include "services/embedded.h"
#   QByteArray rows = TOLVANE_EMBEDDED(all_values_template_dxf);
# where the name is the file name with every character that cannot stand in
# a C++ name turned into "_"; its SHA-1 in hex is tolvane_embedded_NAME_sha1.
# The file is re-embedded whenever it changes.
set(TOLVANE_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedOne.cmake)

function(tolvane_embed target)
  foreach(f IN LISTS ARGN)
    get_filename_component(abs ${f} ABSOLUTE)
    get_filename_component(name ${f} NAME)
    string(MAKE_C_IDENTIFIER ${name} ident)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded/${ident}.cpp)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${abs} -DOUTPUT=${out} -DIDENT=${ident} -P ${TOLVANE_EMBED_SCRIPT}
      DEPENDS ${abs} ${TOLVANE_EMBED_SCRIPT}
      COMMENT "Embedding ${name}")
    target_sources(${target} PRIVATE ${out})
  endforeach()
endfunction()
