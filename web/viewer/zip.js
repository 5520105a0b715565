// Reads a replay archive in the page: the ZIP's central directory, each
// member's local header and its stored or deflated data (the browser's
// DecompressionStream); each member comes with the CRC its archive gives,
// which the rules' module checks. Throws an Error saying what is wrong.

const kMaxUnpacked = 64 * 1024 * 1024;
const kMaxMembers = 64;

async function inflateRaw(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

function findEndRecord(view) {
  const last = view.byteLength - 22;
  const first = Math.max(0, last - 0xffff);
  for (let at = last; at >= first; at--) {
    if (view.getUint32(at, true) === 0x06054b50) return at;
  }
  throw new Error('not a ZIP archive (no end record)');
}

// [{name, bytes: Uint8Array}] in the central directory's order. `inflate`
// turns raw deflate data into bytes: the browser's stream by default; a
// program under Node passes its zlib (Node 18 has no 'deflate-raw' stream).
export async function unzip(buffer, inflate = inflateRaw) {
  const bytes = new Uint8Array(buffer);
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  if (bytes.length < 22) throw new Error('not a ZIP archive (too short)');
  const end = findEndRecord(view);
  const count = view.getUint16(end + 10, true);
  let at = view.getUint32(end + 16, true);
  if (count > kMaxMembers) throw new Error(`too many members (${count})`);
  const decoder = new TextDecoder();
  const members = [];
  let unpacked = 0;
  for (let i = 0; i < count; i++) {
    if (at + 46 > bytes.length || view.getUint32(at, true) !== 0x02014b50) {
      throw new Error('damaged central directory');
    }
    const method = view.getUint16(at + 10, true);
    const crc = view.getUint32(at + 16, true);
    const packedSize = view.getUint32(at + 20, true);
    const size = view.getUint32(at + 24, true);
    const nameLength = view.getUint16(at + 28, true);
    const extraLength = view.getUint16(at + 30, true);
    const commentLength = view.getUint16(at + 32, true);
    const local = view.getUint32(at + 42, true);
    const name = decoder.decode(bytes.subarray(at + 46, at + 46 + nameLength));
    at += 46 + nameLength + extraLength + commentLength;
    unpacked += size;
    if (unpacked > kMaxUnpacked) throw new Error('members too large');
    if (local + 30 > bytes.length || view.getUint32(local, true) !== 0x04034b50) {
      throw new Error(`damaged local header of ${name}`);
    }
    const start = local + 30 + view.getUint16(local + 26, true) + view.getUint16(local + 28, true);
    if (start + packedSize > bytes.length) throw new Error(`${name} is cut short`);
    const packed = bytes.subarray(start, start + packedSize);
    let data;
    if (method === 0) {
      data = packed;
    } else if (method === 8) {
      try {
        data = await inflate(packed);
      } catch {
        throw new Error(`${name} cannot be inflated`);
      }
    } else {
      throw new Error(`${name}: unknown compression method ${method}`);
    }
    if (data.length !== size) throw new Error(`${name} is damaged (its size does not match)`);
    // The CRC is checked with the rules, in WebAssembly: much faster there.
    members.push({ name, bytes: data, crc });
  }
  return members;
}
