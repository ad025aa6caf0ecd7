# tolvane_embed(<target> <file>...): compiles the files into <target> as Qt
# resources under ":/<name>", so fixed drawings and templates travel inside
# the program and cannot go missing from the program folder.
function(tolvane_embed target)
  set(qrc ${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.qrc)
  set(body "<RCC><qresource prefix=\"/\">\n")
  foreach(f IN LISTS ARGN)
    get_filename_component(abs ${f} ABSOLUTE)
    get_filename_component(name ${f} NAME)
    string(APPEND body "  <file alias=\"${name}\">${abs}</file>\n")
  endforeach()
  string(APPEND body "</qresource></RCC>\n")
  file(GENERATE OUTPUT ${qrc} CONTENT "${body}")
  target_sources(${target} PRIVATE ${qrc})
endfunction()
