// The models and textures the viewer draws with, from the game's own data
// folder (copied beside the viewer). A model that cannot be loaded is drawn
// as simple geometry in the game's colours instead.
import * as THREE from './three/three.module.js';
import { parseMqo } from './mqo.js';

export const kColourNames = ['red', 'green', 'blue', 'yellow', 'purple', 'lightblue', 'ozyama'];
// The balls' body colours, for the stand-in spheres and the HUD.
export const kColourHex = ['#e94b3c', '#4cb84a', '#3b6fe0', '#f2d33a', '#9b59d0', '#5cc8ec', '#8c8c8c'];

function asset(name) {
  return new URL(`models/${name}`, import.meta.url).href;
}

async function loadModel(name) {
  try {
    const response = await fetch(asset(`${name}.mqo`));
    if (!response.ok) return null;
    return parseMqo(await response.text());
  } catch {
    return null;
  }
}

function loadTexture(name) {
  return new Promise((resolve) => {
    new THREE.TextureLoader().load(
      asset(name),
      (texture) => {
        texture.colorSpace = THREE.SRGBColorSpace;
        resolve(texture);
      },
      undefined,
      () => resolve(null),
    );
  });
}

function stubBall(colour) {
  return {
    geometry: new THREE.SphereGeometry(15, 24, 16).rotateX(Math.PI / 2),
    materials: [{ colour: new THREE.Color(kColourHex[colour]).toArray(), alpha: 1, diffuse: 0.8, ambient: 0.5,
      emissive: 0.05, specular: 0.6, power: 40, texture: null }],
  };
}

function stubSlab(width, depth, height, colour, texture) {
  return {
    geometry: new THREE.BoxGeometry(width, depth, height).clearGroups().addGroup(0, Infinity, 0),
    materials: [{ colour: new THREE.Color(colour).toArray(), alpha: 1, diffuse: 0.8, ambient: 0.6,
      emissive: 0, specular: 0.05, power: 5, texture }],
  };
}

// {balls: [colour] -> model, highlighted: [colour] -> model, brick, turf, textures}
export async function loadAssets() {
  const names = kColourNames.map((c) => `plimo_${c}`);
  const [balls, highlighted, brick, turf, renga] = await Promise.all([
    Promise.all(names.map(loadModel)),
    Promise.all(names.map((n) => loadModel(`${n}_h`))),
    loadModel('renga'),
    loadModel('shibafu'),
    loadTexture('renga.png'),
  ]);
  return {
    balls: balls.map((m, colour) => m ?? stubBall(colour)),
    highlighted: highlighted.map((m, colour) => m ?? balls[colour] ?? stubBall(colour)),
    brick: brick ?? stubSlab(32, 4, 32, '#b5553a', renga ? 'renga.png' : null),
    turf: turf ?? stubSlab(32, 32, 2, '#6cc24a', null),
    textures: { 'renga.png': renga },
  };
}
