#pragma once

// Loads the projection for the fixed window size; leaves GL_MODELVIEW current.
void setProjection(void);
// setProjection, then the viewport over the whole window.
void resizeViewport(void);
