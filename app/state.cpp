#include "app/state.h"

int winWidth = 0;
int winHeight = 0;
int winX = 0;
int winY = 0;
HDC hDC = NULL;
HGLRC hRC = NULL;
HPALETTE hPalette = NULL;
IdleProc idleFunc = NULL;

int doubleBufferOn = 1;
int depthBufferOn = 1;
int perspectiveOn = 0;
int decalOn = 0;
int textureOn = 0;
int cullOn = 0;
int lightingOn = 1;
float modelOffsetX = 0.0f;

int windowMinimized = 0;

int fogOn = 0;
int wireframeOn = 0;

float rotMatrix[16] = {0};
float rotAngle = 0.2f;
Vec3 rotAxis = {-0.3f, 1.0f, 0.6f};
int rotationActive = 1;
int spinning = 1;

int dragging = 0;
int pressX = 0;
int pressY = 0;
Vec3 lastBallVec = {0.0f, 0.0f, 0.0f};
int dragHasAxis = 0;
int pointerX = 0;
int pointerY = 0;

const float lightPositions[6][4] = {
    {-10.0f, 14.0f, 4.0f, 0.0f}, {5.0f, -6.0f, -2.0f, 0.0f}, {0.0f, -3.0f, 4.0f, 0.0f},
    {0.0f, -2.0f, -5.0f, 0.0f},  {0.0f, 0.0f, -8.0f, 0.0f},  {-20.0f, -10.0f, -2.0f, 0.0f},
};
const float frontColor[3] = {0.75f, 0.1f, 0.1f};
const float backColor[3] = {0.1f, 0.5f, 0.1f};

const char windowClassName[] = "OpenGL";
const char windowTitle[] = " KEYS:f,p and MOUSE ";
