// The game's models (Metasequoia text: materials, then objects of vertices
// and faces of three or four corners) as three.js geometry with one group
// per material. Faces whose normals lie within the object's facet angle of
// their neighbours' are smoothed, as the game shades them.
import * as THREE from './three/three.module.js';

function numbers(text) {
  return text.trim().split(/\s+/).map(Number);
}

function parseMaterials(text) {
  const block = /Material\s+\d+\s*\{([\s\S]*?)\n\}/.exec(text);
  if (!block) return [];
  return block[1].split('\n').filter((line) => line.includes('"')).map((line) => {
    const field = (name) => {
      const m = new RegExp(`\\b${name}\\(([^)]*)\\)`).exec(line);
      return m ? m[1] : null;
    };
    const col = numbers(field('col') ?? '1 1 1 1');
    const tex = field('tex');
    return {
      name: /"([^"]*)"/.exec(line)[1],
      colour: col.slice(0, 3),
      alpha: col[3] ?? 1,
      diffuse: Number(field('dif') ?? 0.8),
      ambient: Number(field('amb') ?? 0.6),
      emissive: Number(field('emi') ?? 0),
      specular: Number(field('spc') ?? 0),
      power: Number(field('power') ?? 5),
      texture: tex ? tex.replace(/"/g, '') : null,
    };
  });
}

function parseObjects(text) {
  const objects = [];
  const objectRe = /Object\s+"[^"]*"\s*\{([\s\S]*?)\n\}/g;
  let match;
  while ((match = objectRe.exec(text)) !== null) {
    const body = match[1];
    const facet = Number((/facet\s+([\d.]+)/.exec(body) ?? [0, 59.5])[1]);
    const vertexBlock = /vertex\s+\d+\s*\{([\s\S]*?)\}/.exec(body);
    const faceBlock = /face\s+\d+\s*\{([\s\S]*?)\n\s*\}/.exec(body);
    if (!vertexBlock || !faceBlock) continue;
    const vertices = vertexBlock[1].trim().split('\n').map(numbers);
    const faces = faceBlock[1].trim().split('\n').map((line) => {
      const v = numbers(/V\(([^)]*)\)/.exec(line)[1]);
      const m = /M\(([^)]*)\)/.exec(line);
      const uv = /UV\(([^)]*)\)/.exec(line);
      return { v, material: m ? Number(m[1]) : 0, uv: uv ? numbers(uv[1]) : null };
    });
    objects.push({ facet, vertices, faces });
  }
  return objects;
}

function faceNormal(vertices, v) {
  const a = new THREE.Vector3(...vertices[v[0]]);
  const b = new THREE.Vector3(...vertices[v[1]]);
  const c = new THREE.Vector3(...vertices[v[2]]);
  return b.sub(a).cross(c.sub(a)).normalize();
}

// {geometry, materials: [parsed material]} of every object in the file.
export function parseMqo(text) {
  const materials = parseMaterials(text);
  const byMaterial = materials.map(() => ({ position: [], normal: [], uv: [] }));
  for (const object of parseObjects(text)) {
    const normals = object.faces.map((face) => faceNormal(object.vertices, face.v));
    const smooth = object.vertices.map(() => new THREE.Vector3());
    object.faces.forEach((face, i) => face.v.forEach((index) => smooth[index].add(normals[i])));
    smooth.forEach((n) => n.normalize());
    const limit = Math.cos((object.facet * Math.PI) / 180);
    object.faces.forEach((face, i) => {
      const out = byMaterial[Math.min(face.material, byMaterial.length - 1)];
      if (!out) return;
      const corners = face.v.length === 4 ? [0, 1, 2, 0, 2, 3] : [0, 1, 2];
      for (const k of corners) {
        const index = face.v[k];
        out.position.push(...object.vertices[index]);
        const n = smooth[index].dot(normals[i]) >= limit ? smooth[index] : normals[i];
        out.normal.push(n.x, n.y, n.z);
        out.uv.push(face.uv ? face.uv[2 * k] : 0, face.uv ? 1 - face.uv[2 * k + 1] : 0);
      }
    });
  }
  const geometry = new THREE.BufferGeometry();
  const position = [];
  const normal = [];
  const uv = [];
  byMaterial.forEach((part, index) => {
    geometry.addGroup(position.length / 3, part.position.length / 3, index);
    position.push(...part.position);
    normal.push(...part.normal);
    uv.push(...part.uv);
  });
  geometry.setAttribute('position', new THREE.Float32BufferAttribute(position, 3));
  geometry.setAttribute('normal', new THREE.Float32BufferAttribute(normal, 3));
  geometry.setAttribute('uv', new THREE.Float32BufferAttribute(uv, 2));
  return { geometry, materials };
}

// three.js materials for the parsed ones; `look` changes brightness and
// opacity (the ghost, the darkened top-out balls, the see-through walls).
export function makeMaterials(parsed, textures, look = {}) {
  const brightness = look.brightness ?? 1;
  const opacity = look.opacity ?? 1;
  return parsed.map((m) => {
    const colour = new THREE.Color(...m.colour.map((c) => Math.min(1, c * brightness)));
    const material = new THREE.MeshPhongMaterial({
      color: colour,
      emissive: colour.clone().multiplyScalar(m.emissive),
      specular: new THREE.Color(m.specular, m.specular, m.specular),
      shininess: m.power,
      // Back faces culled, as the game draws its models.
      side: THREE.FrontSide,
      transparent: opacity < 1 || m.alpha < 1,
      opacity: opacity * m.alpha,
      depthWrite: opacity >= 1,
    });
    if (m.texture && textures[m.texture]) material.map = textures[m.texture];
    return material;
  });
}
