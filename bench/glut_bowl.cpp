// The baseline a user might write instead: the same bowl, lights and spin through freeglut, as
// plain GLUT code. Benchmark only.
//   glut_bowl SIZE FRAMES   prints: glut_fps=N
#include <GL/freeglut.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <chrono>

namespace {

int frames = 1000;
int drawn = 0;
std::chrono::steady_clock::time_point started;
GLfloat spin[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

const GLfloat lightDirections[6][4] = {{-10, 14, 4, 0}, {5, -6, -2, 0}, {0, -3, 4, 0},
                                       {0, -2, -5, 0},  {0, 0, -8, 0},  {-20, -10, -2, 0}};
const GLfloat lightColours[6][3][4] = {
    {{0.35f, 0.35f, 0.65f, 1}, {0.2f, 0.2f, 0.5f, 1}, {0.2f, 0.2f, 0.65f, 1}},
    {{0.65f, 0.75f, 0.45f, 1}, {0.4f, 0.3f, 0.3f, 1}, {0.65f, 0.85f, 0.85f, 1}},
    {{0.65f, 0.65f, 0.35f, 1}, {0.4f, 0.4f, 0.05f, 1}, {0.65f, 0.65f, 0.85f, 1}},
    {{0.55f, 0.55f, 0.55f, 1}, {0.4f, 0.5f, 0.3f, 1}, {0.2f, 0.7f, 0.35f, 1}},
    {{0.05f, 0.6f, 0.05f, 1}, {0, 0.5f, 0, 1}, {0.05f, 0.6f, 0.08f, 1}},
    {{0.4f, 0.4f, 0.4f, 1}, {0.4f, 0.4f, 0.05f, 1}, {0.65f, 0.55f, 0.55f, 1}}};

float height(float x, float z) {
  return sqrtf(x * x + z * z + 1.0f) - 1.0f;
}

void bowl() {
  const float step = 0.15f;
  for (int r = 0; r < 21; ++r) {
    const float z = -1.5f + r * step;
    glBegin(GL_QUADS);
    for (int c = 0; c < 21; ++c) {
      const float x = -1.5f + c * step;
      const float p[4][3] = {{x, height(x, z), z},
                             {x, height(x, z + step), z + step},
                             {x + step, height(x + step, z + step), z + step},
                             {x + step, height(x + step, z), z}};
      const float e1[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
      const float e2[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
      float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                    e1[0] * e2[1] - e1[1] * e2[0]};
      const float len = sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
      glNormal3f(n[0] / len, n[1] / len, n[2] / len);
      for (const auto& v : p) glVertex3fv(v);
    }
    glEnd();
  }
}

void display() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushMatrix();
  glLoadIdentity();
  glRotatef(0.2f, -0.3f, 1.0f, 0.6f);
  glMultMatrixf(spin);
  glGetFloatv(GL_MODELVIEW_MATRIX, spin);
  glPopMatrix();
  glPushMatrix();
  glTranslatef(0, -0.5f, 0);
  glMultMatrixf(spin);
  bowl();
  glPopMatrix();
  glutSwapBuffers();
  if (++drawn == frames) {
    glFinish();
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    printf("glut_fps=%.0f\n", frames / s);
    fflush(stdout);
    glutLeaveMainLoop();
  }
}

void idle() {
  glutPostRedisplay();
}

void setUp(int size) {
  glMatrixMode(GL_PROJECTION);
  glOrtho(-2, 2, -2, 2, 0, 10);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(0, 0, -2.5f);
  glViewport(0, 0, size, size);
  glClearColor(0.15f, 0.15f, 0.55f, 1);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  const GLfloat light0[4] = {0.7f, 0.7f, 1.25f, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, light0);
  glEnable(GL_LIGHT0);
  for (int i = 0; i < 6; ++i) {
    const GLenum l = (GLenum)(GL_LIGHT1 + i);
    glLightfv(l, GL_POSITION, lightDirections[i]);
    glLightfv(l, GL_AMBIENT, lightColours[i][0]);
    glLightfv(l, GL_DIFFUSE, lightColours[i][1]);
    glLightfv(l, GL_SPECULAR, lightColours[i][2]);
    glEnable(l);
  }
  const GLfloat ambient[4] = {0.05f, 0.05f, 0.05f, 1}, specular[4] = {0.23f, 0.23f, 0.25f, 1};
  const GLfloat front[4] = {0.75f, 0.1f, 0.1f, 0.6f}, back[4] = {0.1f, 0.5f, 0.1f, 0.6f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 40);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, front);
  glMaterialfv(GL_BACK, GL_DIFFUSE, back);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
}

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  const int size = argc > 1 ? atoi(argv[1]) : 819;
  frames = argc > 2 ? atoi(argv[2]) : 1000;
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(size, size);
  glutInitWindowPosition(0, 0);
  glutCreateWindow("glut bowl");
  setUp(size);
  glutDisplayFunc(display);
  glutIdleFunc(idle);
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
  started = std::chrono::steady_clock::now();
  glutMainLoop();
  return 0;
}
