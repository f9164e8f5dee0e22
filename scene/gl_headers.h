// OpenGL 1.1 as the platform provides it: Windows' <GL/gl.h> needs <windows.h> first.
#pragma once

#include <windows.h>
#include <GL/gl.h>
