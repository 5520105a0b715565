// The box and its balls drawn with three.js where the game draws them:
// world z up, 32 units a cell, the camera 360 units out and 560 up at the
// rules' angle, a 36 degree field of view. The game's picture is
// left-handed; mirroring x keeps it the same way round here.
import * as THREE from './three/three.module.js';
import { makeMaterials } from './mqo.js';
import { BallFlag } from './replay.js';

const kCell = 32;
const kCameraDistance = 360;
const kCameraHeight = 560;
const kLightHeight = -280;
const kNearWallOpacity = 0.18;
const kGhostBrightness = 1.4;
const kGhostOpacity = 0.6;
const kVanishing = 2;
const kScreenCentre = [320, 380];

export class Scene {
  constructor(canvas, assets) {
    this.assets = assets;
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
    this.renderer.setPixelRatio(Math.min(2, window.devicePixelRatio || 1));
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color('#1d2a44');
    this.world = new THREE.Group();
    this.world.scale.x = -1;
    this.scene.add(this.world);
    this.camera = new THREE.PerspectiveCamera(36, 1, 10, 5000);
    this.camera.up.set(0, 0, 1);
    this.scene.add(new THREE.AmbientLight(0xffffff, 0.75));
    this.light = new THREE.DirectionalLight(0xffffff, 1.6);
    this.scene.add(this.light, this.light.target);
    const ball = (models) => models.map((m) => ({ geometry: m.geometry, plain: makeMaterials(m.materials, {}),
      ghost: makeMaterials(m.materials, {}, { brightness: kGhostBrightness, opacity: kGhostOpacity }),
      dark: makeMaterials(m.materials, {}, { brightness: 0.35 }) }));
    this.ballLooks = ball(assets.balls);
    this.highlightLooks = ball(assets.highlighted);
    this.balls = new Map();
    this.ghost = new THREE.Mesh();
    this.ghost.renderOrder = 2;
    this.world.add(this.ghost);
    this.box = null;
  }

  // The floor and four walls of a W x D x H box, built once per replay.
  buildBox(W, D, H) {
    if (this.box) this.world.remove(this.box.group);
    const group = new THREE.Group();
    this.originA = -8 * W;
    this.originB = -8 * D;
    const turf = this.assets.turf;
    const turfMaterials = makeMaterials(turf.materials, this.assets.textures);
    for (let a = 0; a < W; a++) {
      for (let b = 0; b < D; b++) {
        const mesh = new THREE.Mesh(turf.geometry, turfMaterials);
        mesh.position.set(this.originA + kCell * a, this.originB + kCell * b, -16);
        group.add(mesh);
      }
    }
    const brick = this.assets.brick;
    const near = { nearB: this.originB - 16, farB: this.originB + kCell * (D - 1) + 16,
      nearA: this.originA - 16, farA: this.originA + kCell * (W - 1) + 16 };
    const walls = {};
    for (const side of Object.keys(near)) {
      walls[side] = {
        solid: makeMaterials(brick.materials, this.assets.textures),
        seeThrough: makeMaterials(brick.materials, this.assets.textures, { opacity: kNearWallOpacity }),
        meshes: [],
      };
    }
    const place = (side, x, y, z, turn) => {
      const mesh = new THREE.Mesh(brick.geometry, walls[side].solid);
      mesh.position.set(x, y, z);
      mesh.rotation.z = turn;
      walls[side].meshes.push(mesh);
      group.add(mesh);
    };
    for (let h = 0; h <= H - 3; h++) {
      const z = kCell * h;
      for (let a = 0; a < W; a++) {
        const x = this.originA + kCell * a;
        place('nearB', x, near.nearB, z, 0);
        place('farB', x, near.farB, z, Math.PI);
      }
      for (let b = 0; b < D; b++) {
        const y = this.originB + kCell * b;
        place('nearA', near.nearA, y, z, Math.PI / 2);
        place('farA', near.farA, y, z, -Math.PI / 2);
      }
    }
    this.box = { group, walls, near };
    this.world.add(group);
  }

  resize(width, height) {
    this.renderer.setSize(width, height, false);
    this.camera.aspect = width / Math.max(1, height);
    // The game shows the line of sight below the centre of its 640 x 480
    // picture (the box rises from it); the same framing here, minus the
    // game's shift to the left, as the panel stands beside the picture.
    this.camera.setViewOffset(640, 480, 320 - kScreenCentre[0], 240 - kScreenCentre[1], 640, 480);
    this.camera.updateProjectionMatrix();
  }

  placeCamera(angle) {
    const r = (angle * Math.PI) / 180;
    const x = kCameraDistance * Math.sin(r);
    const y = kCameraDistance * Math.cos(r);
    // Mirrored as the world is.
    this.camera.position.set(-x, y, kCameraHeight);
    this.camera.lookAt(0, 0, 0);
    // The light shines from the camera's side, downwards.
    this.light.position.set(-x, y, -kLightHeight);
    // Walls between the camera and the balls are see-through.
    const { walls, near } = this.box;
    const seeThrough = { nearB: y < near.nearB, farB: y > near.farB, nearA: x < near.nearA, farA: x > near.farA };
    for (const side of Object.keys(walls)) {
      const materials = seeThrough[side] ? walls[side].seeThrough : walls[side].solid;
      for (const mesh of walls[side].meshes) {
        mesh.material = materials;
        mesh.renderOrder = seeThrough[side] ? 3 : 0;
      }
    }
  }

  position(mesh, a, b, z) {
    mesh.position.set(this.originA + kCell * a, this.originB + kCell * b, z);
  }

  // ints: the binding's ball records; info: its panel and ghost.
  draw(ints, ballInts, info) {
    if (!this.box) this.buildBox(info.W, info.D, info.H);
    this.placeCamera(info.cameraAngle);
    const seen = new Set();
    for (let i = 0; i + ballInts <= ints.length; i += ballInts) {
      const [id, a, b, h, progress, colour, state, vanishCount, flags] = ints.subarray(i, i + ballInts);
      seen.add(id);
      let mesh = this.balls.get(id);
      if (!mesh) {
        mesh = new THREE.Mesh();
        mesh.renderOrder = 1;
        this.balls.set(id, mesh);
        this.world.add(mesh);
      }
      const c = Math.min(colour, this.ballLooks.length - 1);
      const highlighted = (flags & BallFlag.highlighted) !== 0 && state !== kVanishing;
      const look = highlighted ? this.highlightLooks[c] : this.ballLooks[c];
      mesh.geometry = look.geometry;
      mesh.material = flags & BallFlag.darkened ? look.dark : look.plain;
      // Vanishing balls blink with a period of ten frames.
      mesh.visible = (flags & BallFlag.alive) !== 0 && (state !== kVanishing || vanishCount % 10 < 5);
      this.position(mesh, a, b, kCell * h - (kCell * progress) / 512);
    }
    for (const [id, mesh] of this.balls) {
      if (!seen.has(id)) {
        this.world.remove(mesh);
        this.balls.delete(id);
      }
    }
    const ghost = info.ghost;
    this.ghost.visible = ghost !== null && info.inPlay;
    if (this.ghost.visible) {
      const look = this.ballLooks[Math.min(ghost.colour, this.ballLooks.length - 1)];
      this.ghost.geometry = look.geometry;
      this.ghost.material = look.ghost;
      this.position(this.ghost, ghost.a, ghost.b, kCell * ghost.h);
    }
    this.renderer.render(this.scene, this.camera);
  }
}
