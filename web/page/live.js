'use strict';
// The live view: draws the pattern the program sends over the socket, with the program's
// colour table, range, orientation and target overlay. Read-only: the socket only tells
// the program which pattern this page shows.
(function () {
  const $ = (id) => document.getElementById(id);
  const cells = $('cells');
  const context = cells.getContext('2d');
  const state = {
    id: 0, nx: 0, ny: 0, x: [], y: [], values: new Int32Array(0), targets: new Uint8Array(0),
    measured: new Uint8Array(0), notMeasured: 0,
    colours: [], rgb: new Uint32Array(256), min: 0, max: 63, scale: 'linear', rising: true,
    orientation: 0, overlay: true,
    selection: 0, activeTarget: 0, marker: null, image: null, drawPending: false,
    pointer: null, chosen: 0,
  };
  let socket = null;

  // 0xAABBGGRR, as ImageData's bytes read on a little-endian machine.
  function packed(css) {
    const v = parseInt(css.slice(1), 16);
    return (0xff000000 | ((v & 0xff) << 16) | (v & 0xff00) | ((v >> 16) & 0xff)) >>> 0;
  }

  // The program's rules. The rising maximum in linear scale: linear from the minimum (0)
  // to the maximum (255), divided by the maximum; a maximum of 0 or less gives 0. Any
  // other range: the first colour at or below the minimum, the last at or above the
  // maximum, between them the linear, square-root or base-10 log position.
  function colourIndex(value) {
    const min = state.min, max = state.max;
    if (state.rising && state.scale === 'linear') {
      if (max <= 0) return 0;
      let v = value;
      if (v > max) v = max;
      if (v < min) v = min;
      const index = ((v - min) * 255) / max;
      return index >= 255 ? 255 : index <= 0 ? 0 : Math.floor(index);
    }
    if (value <= min) return 0;
    if (value >= max) return 255;
    let index = 0;
    if (state.scale === 'sqrt') {
      index = 255 * Math.sqrt((value - min) / (max - min));
    } else if (state.scale === 'log') {
      if (value <= 1) return 0;
      const lo = Math.log10(Math.max(min, 1));
      const span = Math.log10(max) - lo;
      index = span > 0 ? (255 * (Math.log10(value) - lo)) / span : 0;
    } else {
      return Math.floor(((value - min) * 255) / (max - min));
    }
    return Math.min(Math.max(Math.floor(index), 0), 254);
  }

  function mirrorsX() { return state.orientation === 1 || state.orientation === 2; }
  function mirrorsY() { return state.orientation === 2 || state.orientation === 3; }

  function pixelOf(index) {
    const col = index % state.nx, row = (index - col) / state.nx;
    const dx = mirrorsX() ? state.nx - 1 - col : col;
    const dy = mirrorsY() ? state.ny - 1 - row : row;
    return dy * state.nx + dx;
  }

  function colourOfCell(index) {
    const m = state.marker;
    if (m && index === m[1] * state.nx + m[0]) return state.activeTarget;
    if (state.overlay && state.targets[index]) return state.selection;
    if (!state.measured[index]) return state.notMeasured;
    return state.rgb[colourIndex(state.values[index])];
  }

  function setCell(index) {
    if (state.image) state.image32[pixelOf(index)] = colourOfCell(index);
  }

  function redrawAll() {
    const n = state.nx * state.ny;
    for (let i = 0; i < n; ++i) setCell(i);
    scheduleDraw();
  }

  function scheduleDraw() {
    if (state.drawPending) return;
    state.drawPending = true;
    requestAnimationFrame(() => {
      state.drawPending = false;
      if (state.image) context.putImageData(state.image, 0, 0);
      showReadout();
    });
  }

  function fit() {
    if (!state.nx || !state.ny) return;
    const plot = $('plot');
    const availW = Math.max(plot.clientWidth - $('y-axis').offsetWidth - $('scale').offsetWidth - 40, 50);
    const availH = Math.max(plot.clientHeight - $('x-axis').offsetHeight - 10, 50);
    let scale = Math.min(availW / state.nx, availH / state.ny);
    if (scale >= 1) scale = Math.floor(scale);
    cells.style.width = Math.round(state.nx * scale) + 'px';
    cells.style.height = Math.round(state.ny * scale) + 'px';
    $('y-axis').style.height = Math.round(state.ny * scale) + 'px';
  }

  function onPattern(m) {
    state.id = m.id; state.nx = m.nx; state.ny = m.ny; state.x = m.x; state.y = m.y;
    state.values = new Int32Array(m.nx * m.ny);
    state.targets = new Uint8Array(m.nx * m.ny);
    state.measured = new Uint8Array(m.nx * m.ny);
    $('title').textContent = m.title;
    document.title = m.title + ' - Vespira live view';
    for (const k of ['xLeft', 'xRight', 'xCaption', 'yBottom', 'yTop', 'yCaption'])
      $(k.replace(/[A-Z]/, (c) => '-' + c.toLowerCase())).textContent = m[k];
    $('empty').hidden = true;
    $('plot').hidden = false;
    if (m.nx > 0 && m.ny > 0) {
      cells.width = m.nx; cells.height = m.ny;
      state.image = context.createImageData(m.nx, m.ny);
      state.image32 = new Uint32Array(state.image.data.buffer);
    } else {
      state.image = null;
    }
    fit();
  }

  function onColours(m) {
    state.colours = m.colours;
    state.rgb = Uint32Array.from(m.colours, packed);
    state.min = m.min; state.max = m.max; state.orientation = m.orientation;
    state.scale = m.scale || 'linear'; state.rising = m.rising !== false;
    state.overlay = m.overlay;
    state.selection = packed(m.selection); state.activeTarget = packed(m.activeTarget);
    state.notMeasured = packed(m.notMeasured);
    $('scale-max').textContent = String(m.max);
    $('scale-min').textContent = String(m.min);
    const bar = $('scale-bar').getContext('2d');
    // 128 bands from the bottom, each in every second colour, as the program draws it.
    for (let i = 0; i < 128; ++i) {
      bar.fillStyle = m.colours[2 * i];
      bar.fillRect(0, 127 - i, 1, 1);
    }
    redrawAll();
  }

  function onProgress(m) {
    const before = state.marker;
    state.marker = m.live && m.marker ? m.marker : null;
    if (before) setCell(before[1] * state.nx + before[0]);
    if (state.marker && state.marker[0] < state.nx && state.marker[1] < state.ny)
      setCell(state.marker[1] * state.nx + state.marker[0]);
    else state.marker = null;
    scheduleDraw();
    if (!m.live) { $('progress').textContent = 'Not receiving a scan'; return; }
    let text = `Scan: ${m.received} of ${m.total} points`;
    if (m.rate > 0) text += `  Rate: ${m.rate.toFixed(0)} points/s`;
    if (m.received >= m.total) text += '  Complete';
    else if (m.end !== null) text += `  Estimated end: ${new Date(m.end).toLocaleTimeString()}`;
    $('progress').textContent = text;
  }

  function onPatterns(m) {
    const select = $('patterns');
    state.chosen = m.chosen;
    select.replaceChildren(new Option('The pattern receiving the scan', '0'));
    for (const p of m.list)
      select.add(new Option(p.title + (p.live ? ' (scanning)' : ''), String(p.id)));
    select.value = String(m.chosen);
  }

  function onTitle(m) {
    if (m.id !== state.id) return;
    $('title').textContent = m.title;
    document.title = m.title + ' - Vespira live view';
  }

  function onNone() {
    state.id = 0; state.nx = 0; state.ny = 0; state.image = null;
    $('title').textContent = 'Vespira live view';
    $('plot').hidden = true;
    $('empty').hidden = false;
    showReadout();
  }

  function onBinary(buffer) {
    const view = new DataView(buffer);
    if (buffer.byteLength < 16 || view.getUint32(4, true) !== state.id) return;
    const kind = view.getUint8(0);
    const n = state.nx * state.ny;
    if (kind === 1) {
      const reset = (view.getUint8(1) & 1) !== 0;
      if (reset) {
        state.values.fill(0);
        state.measured.fill((view.getUint8(1) & 2) ? 0 : 1);
      }
      let pos = 16;
      while (pos + 8 <= buffer.byteLength) {
        const start = view.getUint32(pos, true), count = view.getUint32(pos + 4, true);
        pos += 8;
        for (let i = 0; i < count && pos + 4 <= buffer.byteLength; ++i, pos += 4) {
          const index = start + i;
          if (index >= n) continue;
          state.values[index] = view.getInt32(pos, true);
          state.measured[index] = 1;
          setCell(index);
        }
      }
      if (reset) redrawAll(); else scheduleDraw();
    } else if (kind === 2) {
      state.targets.fill(0);
      const count = view.getUint32(16, true);
      for (let i = 0, pos = 20; i < count && pos + 4 <= buffer.byteLength; ++i, pos += 4) {
        const index = view.getUint32(pos, true);
        if (index < n) state.targets[index] = 1;
      }
      redrawAll();
    }
  }

  // The grid point under the pointer, in the program's texts.
  function showReadout() {
    const p = state.pointer;
    if (!p || !state.nx || !state.ny) { $('readout').textContent = 'X: ?  Y: ?  Int: ?'; return; }
    const rect = cells.getBoundingClientRect();
    const dx = Math.floor(((p.x - rect.left - cells.clientLeft) / cells.clientWidth) * state.nx);
    const dy = Math.floor(((p.y - rect.top - cells.clientTop) / cells.clientHeight) * state.ny);
    if (dx < 0 || dy < 0 || dx >= state.nx || dy >= state.ny) {
      $('readout').textContent = 'X: ?  Y: ?  Int: ?';
      return;
    }
    const col = mirrorsX() ? state.nx - 1 - dx : dx;
    const row = mirrorsY() ? state.ny - 1 - dy : dy;
    const index = row * state.nx + col;
    const value = state.measured[index] ? String(state.values[index]) : 'not measured';
    $('readout').textContent = `X: ${state.x[col]}  Y: ${state.y[row]}  Int: ${value}`;
  }

  cells.addEventListener('pointermove', (e) => { state.pointer = { x: e.clientX, y: e.clientY }; showReadout(); });
  cells.addEventListener('pointerleave', () => { state.pointer = null; showReadout(); });
  window.addEventListener('resize', fit);
  $('patterns').addEventListener('change', (e) => {
    if (socket && socket.readyState === WebSocket.OPEN)
      socket.send(e.target.value === '0' ? 'follow' : 'show ' + e.target.value);
  });

  function connect() {
    const url = new URL('socket', location.href);
    url.protocol = location.protocol === 'https:' ? 'wss:' : 'ws:';
    socket = new WebSocket(url);
    socket.binaryType = 'arraybuffer';
    socket.onopen = () => {
      $('connection').textContent = 'Live';
      $('connection').className = '';
      if (state.chosen) socket.send('show ' + state.chosen);
    };
    socket.onmessage = (e) => {
      if (typeof e.data !== 'string') { onBinary(e.data); return; }
      const m = JSON.parse(e.data);
      if (m.type === 'pattern') onPattern(m);
      else if (m.type === 'colours') onColours(m);
      else if (m.type === 'progress') onProgress(m);
      else if (m.type === 'patterns') onPatterns(m);
      else if (m.type === 'title') onTitle(m);
      else if (m.type === 'none') onNone();
    };
    socket.onclose = () => {
      $('connection').textContent = 'Connection lost: trying again...';
      $('connection').className = 'lost';
      setTimeout(connect, 2000);
    };
  }
  connect();
})();
