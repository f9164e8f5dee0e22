// The viewer's process-wide state: every procedure reads and writes these directly.
#pragma once

#include <windows.h>

struct Vec3 {
  float x, y, z;
};

typedef void (*IdleProc)(void);

// Window and platform handles.
extern int winWidth;
extern int winHeight;
extern int winX;
extern int winY;
extern HDC hDC;
extern HGLRC hRC;
extern HPALETTE hPalette;
extern IdleProc idleFunc;

// Render settings. They never change while the viewer runs; tests flip them.
extern int doubleBufferOn;
extern int depthBufferOn;
extern int perspectiveOn;
extern int decalOn;
extern int textureOn;
extern int cullOn;
extern int lightingOn;
extern float modelOffsetX;

// Set while the window is minimised: nothing is drawn, and the spin waits where it was.
extern int windowMinimized;

// User toggles.
extern int fogOn;
extern int wireframeOn;

// Rotation.
extern float rotMatrix[16];
extern float rotAngle;
extern Vec3 rotAxis;
extern int rotationActive;
extern int spinning;

// Trackball drag state.
extern int dragging;
extern int pressX;
extern int pressY;
extern Vec3 lastBallVec;
// Set once a motion of the current drag has given a rotation axis.
extern int dragHasAxis;
// Where the pointer was last seen during a drag, so that a drag whose capture is
// taken away can end as a release there.
extern int pointerX;
extern int pointerY;

// Scene tables.
extern const float lightPositions[6][4];
extern const float frontColor[3];
extern const float backColor[3];

extern const char windowClassName[];
extern const char windowTitle[];
