// PNG files of 8-bit palette rasters: IHDR, PLTE with all 256 colours, one
// IDAT of unfiltered rows compressed by fflate's zlib, IEND. The same kind
// of file tessel-cli writes, so that the two decode to the same pixels.
"use strict";

var PalettePng = (function () {
  const SIGNATURE = [137, 80, 78, 71, 13, 10, 26, 10];

  const CRC_TABLE = (function () {
    const table = new Uint32Array(256);
    for (let n = 0; n < 256; n++) {
      let c = n;
      for (let k = 0; k < 8; k++)
        c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
      table[n] = c >>> 0;
    }
    return table;
  })();

  function crc32(bytes) {
    let c = 0xffffffff;
    for (let k = 0; k < bytes.length; k++)
      c = CRC_TABLE[(c ^ bytes[k]) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  }

  function putU32(bytes, offset, value) {
    new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength).setUint32(offset, value);
  }

  // Length, type, data and the CRC of type and data.
  function chunk(type, data) {
    const bytes = new Uint8Array(12 + data.length);
    putU32(bytes, 0, data.length);
    for (let k = 0; k < 4; k++)
      bytes[4 + k] = type.charCodeAt(k);
    bytes.set(data, 8);
    putU32(bytes, 8 + data.length, crc32(bytes.subarray(4, 8 + data.length)));
    return bytes;
  }

  // pixels: width x height palette indexes, top row first; palette: 768
  // bytes of red, green and blue.
  function encode(pixels, width, height, palette) {
    if (pixels.length !== width * height || palette.length !== 768)
      throw new RangeError("a raster of " + pixels.length + " bytes is not " + width + " x " + height);
    const header = new Uint8Array(13);
    putU32(header, 0, width);
    putU32(header, 4, height);
    header[8] = 8;  // bits per index
    header[9] = 3;  // colour type: palette
    // Each row starts with its filter type, 0 (none): palette indexes do
    // not gain from differences between neighbours.
    const rows = new Uint8Array((width + 1) * height);
    for (let y = 0; y < height; y++)
      rows.set(pixels.subarray(y * width, (y + 1) * width), y * (width + 1) + 1);
    const parts = [
      Uint8Array.from(SIGNATURE),
      chunk("IHDR", header),
      chunk("PLTE", palette),
      chunk("IDAT", fflate.zlibSync(rows, { level: 1 })),
      chunk("IEND", new Uint8Array(0)),
    ];
    const file = new Uint8Array(parts.reduce((sum, part) => sum + part.length, 0));
    let offset = 0;
    for (const part of parts) {
      file.set(part, offset);
      offset += part.length;
    }
    return file;
  }

  return { encode: encode, crc32: crc32 };
})();
