# TVCORE_SANITIZE=address builds with ASan and UBSan, TVCORE_SANITIZE=thread with TSan,
# TVCORE_SANITIZE=fuzzer with libFuzzer coverage, ASan and UBSan.
if(TVCORE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(TVCORE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(TVCORE_SANITIZE STREQUAL "fuzzer")
  # The library carries coverage for libFuzzer; each fuzz program links the fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(NOT TVCORE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TVCORE_SANITIZE must be empty, 'address', 'thread' or 'fuzzer'")
endif()
