#pragma once

// Front (red) and back (green) materials of the surface.
void setMaterials(void);
