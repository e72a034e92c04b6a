// three.js evaluates a glTF's animations (skinning and morph targets, on the
// CPU) at 10 frames a second, each animation from 0 to its end, the end
// included; velmorin-cli import of the same file must give the same points,
// frame by frame, within one quantisation step of the MD2's frame.
//   node compare_three.mjs NODE_MODULES MODEL.glb MODEL.md2
import { readFileSync } from 'fs';
import path from 'path';
import { pathToFileURL } from 'url';

const [modules, glbPath, md2Path] = process.argv.slice(2);
const THREE = await import(pathToFileURL(path.join(modules, 'three/build/three.module.js')));
const { GLTFLoader } = await import(pathToFileURL(path.join(modules, 'three/examples/jsm/loaders/GLTFLoader.js')));

// Textures left out: three.js loads images through the DOM, which node lacks,
// and the positions compared do not depend on them.
function withoutTextures(file) {
  const strip = (json) => {
    delete json.images; delete json.textures; delete json.samplers;
    for (const m of json.materials || []) {
      if (m.pbrMetallicRoughness) delete m.pbrMetallicRoughness.baseColorTexture;
      delete m.normalTexture; delete m.occlusionTexture; delete m.emissiveTexture;
    }
    return json;
  };
  if (file.readUInt32LE(0) !== 0x46546c67) return Buffer.from(JSON.stringify(strip(JSON.parse(file.toString()))));
  const jsonLength = file.readUInt32LE(12);
  let text = Buffer.from(JSON.stringify(strip(JSON.parse(file.subarray(20, 20 + jsonLength).toString()))));
  text = Buffer.concat([text, Buffer.alloc((4 - (text.length % 4)) % 4, 0x20)]);
  const rest = file.subarray(20 + jsonLength);
  const head = Buffer.alloc(20);
  head.writeUInt32LE(0x46546c67, 0); head.writeUInt32LE(2, 4); head.writeUInt32LE(20 + text.length + rest.length, 8);
  head.writeUInt32LE(text.length, 12); head.writeUInt32LE(0x4e4f534a, 16);
  return Buffer.concat([head, text, rest]);
}
const bytes = withoutTextures(readFileSync(glbPath));
const gltf = await new Promise((done, fail) =>
  new GLTFLoader().parse(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength), '', done, fail));
const scene = gltf.scene;
const meshes = [];
scene.traverse((o) => { if (o.isMesh) meshes.push(o); });
const mixer = new THREE.AnimationMixer(scene);

// Every vertex in world space, in MD2's axes: glTF (x, y, z) is MD2 (x, -z, y).
function pointsAt(clip, time) {
  mixer.stopAllAction();
  const action = mixer.clipAction(clip);
  action.setLoop(THREE.LoopOnce);  // at its end the clip holds its last pose, not its first
  action.clampWhenFinished = true;
  action.play();
  mixer.setTime(time);
  scene.updateMatrixWorld(true);
  const points = [], v = new THREE.Vector3();
  for (const mesh of meshes) {
    const count = mesh.geometry.attributes.position.count;
    for (let i = 0; i < count; i++) {
      mesh.getVertexPosition(i, v).applyMatrix4(mesh.matrixWorld);
      points.push([v.z, v.x, v.y]);  // glTF (x, y, z) is MD2 (z, x, y)
    }
  }
  return points;
}

// The MD2's frames decoded: name, scale, and each vertex as placed.
function md2Frames(file) {
  const data = readFileSync(file);
  const view = new DataView(data.buffer, data.byteOffset, data.byteLength);
  const field = (i) => view.getInt32(4 * i, true);
  const [frameSize, vertices, count, at] = [field(4), field(6), field(10), field(14)];
  const frames = [];
  for (let f = 0; f < count; f++) {
    const start = at + f * frameSize;
    const scale = [0, 1, 2].map((c) => view.getFloat32(start + 4 * c, true));
    const translate = [0, 1, 2].map((c) => view.getFloat32(start + 12 + 4 * c, true));
    const name = data.subarray(start + 24, start + 40).toString('latin1').replace(/\0.*$/s, '');
    const points = [];
    for (let v = 0; v < vertices; v++)
      points.push([0, 1, 2].map((c) => data[start + 40 + 4 * v + c] * scale[c] + translate[c]));
    frames.push({ name, scale, points });
  }
  return frames;
}

// Each point of `from` has one of `to` within a step on every axis.
function within(from, to, step) {
  let worst = 0;
  for (const p of from) {
    let best = Infinity;
    for (const q of to) {
      const d = Math.max(...[0, 1, 2].map((c) => Math.abs(p[c] - q[c]) / (step[c] || 1e-9)));
      if (d < best) best = d;
    }
    worst = Math.max(worst, best);
  }
  return worst;
}

const frames = md2Frames(md2Path);
let at = 0, failures = 0;
for (const clip of gltf.animations) {
  // From the clip's first key to its last; a closed loop (its last sample
  // its first pose again, within a step) without that last sample.
  const start = Math.min(...clip.tracks.map((t) => t.times[0]));
  let count = Math.ceil((clip.duration - start) * 10 - 1e-6) + 1;
  const step0 = frames[at] ? frames[at].scale.map((s) => s * (1 + 1e-4) + 1e-6) : [1, 1, 1];
  if (count >= 3 && within(pointsAt(clip, start), pointsAt(clip, clip.duration), step0) <= 1 &&
      within(pointsAt(clip, clip.duration), pointsAt(clip, start), step0) <= 1)
    count--;
  for (let k = 0; k < count; k++, at++) {
    const frame = frames[at];
    if (!frame) { console.log(`FAILED: the MD2 has no frame ${at} for ${clip.name} at ${k / 10} s`); failures++; continue; }
    const three = pointsAt(clip, Math.min(clip.duration, start + k / 10));
    const step = frame.scale.map((s) => s * (1 + 1e-4) + 1e-5);  // a step, and float rounding
    const worst = Math.max(within(three, frame.points, step), within(frame.points, three, step));
    if (worst > 1) { console.log(`FAILED: ${frame.name} (${clip.name} at ${k / 10} s): ${worst.toFixed(2)} steps apart`); failures++; }
  }
}
if (at !== frames.length) { console.log(`FAILED: ${frames.length} MD2 frames for ${at} sampled`); failures++; }
console.log(`${gltf.animations.length} animations, ${at} frames compared with three.js`);
process.exit(failures ? 1 : 0);
