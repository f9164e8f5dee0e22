# winx in a browser tab, built with Emscripten: the core without the box's picture (the box is an
# HTML dialog), the web backend, and the fixed-function GL layer the program's OpenGL calls reach.
add_library(winx_core OBJECT ${winx_core_sources})
target_include_directories(winx_core PUBLIC include PRIVATE src/core)
bowlview_warnings(winx_core)

add_library(winx_web OBJECT
  src/web/backend.cpp src/web/window.cpp src/web/input.cpp src/web/context.cpp
  src/web/gl/matrices.cpp src/web/gl/state.cpp src/web/gl/draw.cpp src/web/gl/program.cpp)
target_include_directories(winx_web PRIVATE include src/core src/web)
bowlview_warnings(winx_web)

add_library(winx STATIC src/backends.cpp)
target_include_directories(winx PRIVATE src/core)
target_compile_definitions(winx PRIVATE WINX_WEB)
target_link_libraries(winx PUBLIC winx_core PRIVATE winx_web)
# The program's message loop stays its own: where it waits (for events, the next animation frame,
# a box) the thread goes back to the browser and comes back where it was (Asyncify). main is run by
# the page (index.html), which shows how it ended.
set(winx_js ${CMAKE_CURRENT_SOURCE_DIR}/src/web/winx_web.js)
target_link_options(winx PUBLIC
  --js-library=${winx_js} -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  "-sASYNCIFY_IMPORTS=[winx_web_wait,winx_web_present,winx_web_message_box]"
  -sINVOKE_RUN=0 "-sEXPORTED_RUNTIME_METHODS=[ccall]" -sENVIRONMENT=web
  -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1)
set_property(TARGET winx APPEND PROPERTY INTERFACE_LINK_DEPENDS ${winx_js})
bowlview_warnings(winx)
add_library(winx::winx ALIAS winx)

# The program's OpenGL is the layer above, linked with winx: nothing more to link for it.
add_library(OpenGL::GL INTERFACE IMPORTED GLOBAL)

add_library(winx_entry OBJECT src/core/entry.cpp)
target_link_libraries(winx_entry PUBLIC winx)
bowlview_warnings(winx_entry)
add_library(winx::entry ALIAS winx_entry)

# Debian's emscripten runs its JavaScript tools with the system's node, which finds Debian's
# node modules (acorn) only where told.
set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")
