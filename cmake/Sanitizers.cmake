# Sanitizer builds apply to every target of the tree, third-party test code included.
if(TALVORO_SANITIZE)
  add_compile_options(-fsanitize=${TALVORO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${TALVORO_SANITIZE})
endif()
