// The viewer's scene as a web developer would draw it with three.js, to set our page beside:
// the same bowl, materials, seven lights, fog (f) and wire frame (p), the same spin, on a canvas
// of the same size (0.8 of the viewport's shorter side, in device pixels).
import * as THREE from 'three';

// Colours as the viewer gives them to GL, not converted from sRGB on the way in or out.
THREE.ColorManagement.enabled = false;

const f32 = Math.fround;
const step = f32(0.15);

// The quads of scene/mesh.cpp: corners (x, z), (x, z+s), (x+s, z+s), (x+s, z) on
// y = sqrt(x^2 + z^2 + 1) - 1, one normal each, split along the 1-3 diagonal as our page does.
function bowl() {
  const position = [], normal = [];
  const corner = (x, z) => new THREE.Vector3(x, Math.sqrt(z * z + x * x + 1) - 1, z);
  for (let z = f32(-1.5), zMore = true; zMore; zMore = z + step <= 1.5, z = f32(z + step)) {
    for (let x = f32(-1.5), xMore = true; xMore; xMore = x + step <= 1.5, x = f32(x + step)) {
      const p = [corner(x, z), corner(x, z + step), corner(x + step, z + step), corner(x + step, z)];
      const n = p[1].clone().sub(p[0]).cross(p[2].clone().sub(p[0])).normalize();
      for (const i of [0, 1, 3, 1, 2, 3]) position.push(p[i].x, p[i].y, p[i].z), normal.push(n.x, n.y, n.z);
    }
  }
  const g = new THREE.BufferGeometry();
  g.setAttribute('position', new THREE.Float32BufferAttribute(position, 3));
  g.setAttribute('normal', new THREE.Float32BufferAttribute(normal, 3));
  return g;
}

// scene/scene_setup.cpp's lights: direction towards the light, diffuse, ambient. Light 0 has
// GL's default colours. three.js has one colour a light for diffuse and specular: the diffuse.
const lights = [
  [[0.7, 0.7, 1.25], [1, 1, 1], [0, 0, 0]],
  [[-10, 14, 4], [0.2, 0.2, 0.5], [0.35, 0.35, 0.65]],
  [[5, -6, -2], [0.4, 0.3, 0.3], [0.65, 0.75, 0.45]],
  [[0, -3, 4], [0.4, 0.4, 0.05], [0.65, 0.65, 0.35]],
  [[0, -2, -5], [0.4, 0.5, 0.3], [0.55, 0.55, 0.55]],
  [[0, 0, -8], [0, 0.5, 0], [0.05, 0.6, 0.05]],
  [[-20, -10, -2], [0.4, 0.4, 0.05], [0.4, 0.4, 0.4]],
];
const shininess = 40;
// GL's ambient term is the same at every point: the material's ambient (0.05) times the scene's
// (0.2) and the lights' ambient colours, an emission here.
const ambient = [0, 1, 2].map((c) => 0.05 * lights.reduce((sum, l) => sum + l[2][c], 0.2));
// three.js divides diffuse light by pi and weights the highlight by (shininess / 2 + 1) / 4 pi:
// lights of intensity pi and a specular colour scaled back give GL's sums.
const specular = [0.23, 0.23, 0.25].map((c) => c * 4 * Math.PI / (shininess / 2 + 1));

const scene = new THREE.Scene();
for (const [direction, colour] of lights) {
  const light = new THREE.DirectionalLight(new THREE.Color(...colour), Math.PI);
  light.position.set(...direction);
  scene.add(light);
}
const material = (colour, side) => new THREE.MeshPhongMaterial({ color: new THREE.Color(...colour),
  emissive: new THREE.Color(...ambient), specular: new THREE.Color(...specular), shininess, side });
const front = material([0.75, 0.1, 0.1], THREE.FrontSide);
const back = material([0.1, 0.5, 0.1], THREE.BackSide);
const geometry = bowl();
const model = new THREE.Group();
model.add(new THREE.Mesh(geometry, front), new THREE.Mesh(geometry, back));
model.position.y = -0.5;
scene.add(model);
const fog = new THREE.FogExp2(new THREE.Color(0.4, 0.4, 0.5), 0.243);

// glOrtho(-2, 2, -2, 2, 0, 10) from 2.5 in front of the model.
const camera = new THREE.OrthographicCamera(-2, 2, 2, -2, 0, 10);
camera.position.z = 2.5;

const dpr = window.devicePixelRatio || 1;
const side = Math.floor(Math.round(Math.min(innerWidth, innerHeight) * dpr) * 0.8);
const renderer = new THREE.WebGLRenderer({ antialias: false, alpha: false });
renderer.outputColorSpace = THREE.LinearSRGBColorSpace;
renderer.setSize(side, side, false);
renderer.domElement.style.width = renderer.domElement.style.height = `${side / dpr}px`;
document.body.appendChild(renderer.domElement);

function show(fogOn) {
  scene.fog = fogOn ? fog : null;
  renderer.setClearColor(fogOn ? new THREE.Color(0.5, 0.25, 0.25) : new THREE.Color(0.15, 0.15, 0.55));
}
show(false);
addEventListener('keydown', (e) => {
  if (e.key === 'f') show(!scene.fog);
  if (e.key === 'p') front.wireframe = back.wireframe = !front.wireframe;
});

// The viewer's spin: 0.2 degrees a frame about (-0.3, 1, 0.6), applied after the turn so far.
const turn = new THREE.Quaternion().setFromAxisAngle(
  new THREE.Vector3(-0.3, 1, 0.6).normalize(), THREE.MathUtils.degToRad(0.2));
renderer.setAnimationLoop(() => {
  model.quaternion.premultiply(turn);
  renderer.render(scene, camera);
});
