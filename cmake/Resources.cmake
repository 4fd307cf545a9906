# Compiles resources/setup.rc with windres into a .res file and embeds it in a target, the way
# a Windows program carries its resources in its image.
find_program(VELTRIX_WINDRES NAMES i686-w64-mingw32-windres x86_64-w64-mingw32-windres windres REQUIRED)

set(VELTRIX_RES ${CMAKE_BINARY_DIR}/resources/setup.res)
set(VELTRIX_RES_CPP ${CMAKE_BINARY_DIR}/resources/setup_res.cpp)
file(GLOB VELTRIX_RC_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)

add_custom_command(
  OUTPUT ${VELTRIX_RES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
  COMMAND ${VELTRIX_WINDRES} --preprocessor=cpp --preprocessor-arg=-P
          -I ${CMAKE_SOURCE_DIR}/resources -i ${CMAKE_SOURCE_DIR}/resources/setup.rc
          -O res -o ${VELTRIX_RES}
  DEPENDS ${VELTRIX_RC_INPUTS}
  COMMENT "Compiling setup.rc")

add_custom_command(
  OUTPUT ${VELTRIX_RES_CPP}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${VELTRIX_RES} -DOUTPUT=${VELTRIX_RES_CPP}
          -P ${CMAKE_SOURCE_DIR}/cmake/EmbedBinary.cmake
  DEPENDS ${VELTRIX_RES} ${CMAKE_SOURCE_DIR}/cmake/EmbedBinary.cmake
  COMMENT "Embedding setup.res")

add_custom_target(veltrix_resources_generated DEPENDS ${VELTRIX_RES_CPP})

function(veltrix_embed_resources target)
  target_sources(${target} PRIVATE ${VELTRIX_RES_CPP})
  add_dependencies(${target} veltrix_resources_generated)
endfunction()
