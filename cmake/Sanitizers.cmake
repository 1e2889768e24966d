# RZ_SANITIZE=address: AddressSanitizer + UndefinedBehaviorSanitizer.
# RZ_SANITIZE=thread:  ThreadSanitizer.
if(RZ_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(RZ_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT RZ_SANITIZE STREQUAL "")
  message(FATAL_ERROR "RZ_SANITIZE must be empty, 'address' or 'thread'")
endif()
