// The page around the fire. The program (emberhall.js) draws and mixes; this file gives it what
// a browser has instead of an operating system: the canvas, the sound graph, the display loop,
// the browser's storage for the user's files, full screen, and the settings panel.
//
// With ?saver in the address the page behaves as a screen saver does: no buttons, no hint, no
// pointer, and moving the mouse, pressing its first or second button or Escape ends full screen.
'use strict';

(function () {
  const saverMode = new URLSearchParams(location.search).has('saver');
  const mixRate = 44100;
  const soundChunk = 2048; // frames per scheduled buffer, about 46 ms
  const soundLead = 0.25; // seconds of sound kept queued ahead of the clock
  const stillAfter = 3000; // ms without the mouse before the button and the pointer hide
  const hintFor = 6000; // ms the sound hint stands
  const storagePrefix = 'emberhall/';
  // The user's own files, kept in the browser's storage. The playlist is not among them: its
  // tracks live in memory only, so a playlist naming them would outlive them.
  const keptFiles = ['emberhall.dat', 'fire_data/motd.txt'];

  const canvas = document.getElementById('fire');
  const hint = document.getElementById('hint');
  const panel = document.getElementById('settings');
  const note = document.getElementById('note');
  const messages = document.getElementById('messages');
  const trackList = document.getElementById('track-list');
  let context2d = null;
  let audio = null; // the AudioContext, once the program opened its device
  let master = null;
  let analyser = null;
  let nextSoundTime = 0;
  let resumeWhenShown = false;
  let hintShown = false;
  let fullscreenSince = 0;
  let stillTimer = 0;
  let running = false;

  if (saverMode) document.body.classList.add('saver');

  function fs() {
    return Module.FS;
  }

  function exists(path) {
    return fs().analyzePath(path).exists;
  }

  function say(text) {
    note.textContent = text;
  }

  // --- the user's files in the browser's storage ---

  function storage() {
    try {
      return window.localStorage; // may throw where storage is refused
    } catch (error) {
      return null;
    }
  }

  function toHex(bytes) {
    return Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('');
  }

  function fromHex(text) {
    if (typeof text !== 'string' || !/^(?:[0-9a-fA-F]{2})*$/.test(text)) return null;
    const bytes = new Uint8Array(text.length / 2);
    for (let i = 0; i < bytes.length; ++i) bytes[i] = parseInt(text.substr(2 * i, 2), 16);
    return bytes;
  }

  function restoreUserFiles() {
    for (const dir of ['/user', '/user/fire_data', '/music']) fs().mkdir(dir);
    const store = storage();
    if (!store) return;
    for (const name of keptFiles) {
      const bytes = fromHex(store.getItem(storagePrefix + name));
      if (bytes) fs().writeFile('/user/' + name, bytes);
      else if (store.getItem(storagePrefix + name) !== null)
        console.warn(`Emberhall: the kept ${name} is not readable and is left out`);
    }
  }

  function keepUserFiles() {
    const store = storage();
    if (!store) {
      say('This browser does not let the page keep anything: your choices last until it is closed.');
      return;
    }
    for (const name of keptFiles) {
      const path = '/user/' + name;
      try {
        if (exists(path)) store.setItem(storagePrefix + name, toHex(fs().readFile(path)));
        else store.removeItem(storagePrefix + name);
      } catch (error) {
        say(`${name} could not be kept in this browser: ${error.message || error}`);
      }
    }
  }

  // --- the picture ---

  function openCanvas(width, height) {
    canvas.width = width;
    canvas.height = height;
    context2d = canvas.getContext('2d', { alpha: false });
  }

  function showPicture(pointer, width, height) {
    const bytes = new Uint8ClampedArray(Module.HEAPU8.buffer, pointer, width * height * 4);
    context2d.putImageData(new ImageData(bytes, width, height), 0, 0);
  }

  // --- the sound ---

  function openAudio(rate) {
    const AudioContextType = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextType) return false;
    try {
      audio = new AudioContextType({ sampleRate: rate, latencyHint: 'playback' });
    } catch (error) {
      audio = new AudioContextType(); // the buffers carry their own rate and are resampled
    }
    master = audio.createGain();
    analyser = audio.createAnalyser();
    analyser.fftSize = 2048;
    master.connect(analyser);
    analyser.connect(audio.destination);
    audio.onstatechange = showHint;
    audio.resume().catch(() => {}); // allowed where the browser needs no gesture
    nextSoundTime = 0;
    showHint();
    return true;
  }

  function closeAudio() {
    if (audio) audio.close().catch(() => {});
    audio = master = analyser = null;
  }

  // Keeps soundLead seconds of the mix queued: buffers scheduled back to back on the audio
  // clock, each pulled from the program on this, the page's only, thread.
  function pumpAudio() {
    if (!running || !audio || audio.state !== 'running') return;
    const now = audio.currentTime;
    if (nextSoundTime < now) nextSoundTime = now + 0.02; // first block, or after a stall
    while (nextSoundTime < now + soundLead) {
      const pointer = Module._emberhall_pull_audio(soundChunk);
      const mixed = new Float32Array(Module.HEAPU8.buffer, pointer, 2 * soundChunk);
      const buffer = audio.createBuffer(2, soundChunk, mixRate);
      const left = buffer.getChannelData(0);
      const right = buffer.getChannelData(1);
      for (let i = 0; i < soundChunk; ++i) {
        left[i] = mixed[2 * i];
        right[i] = mixed[2 * i + 1];
      }
      const source = audio.createBufferSource();
      source.buffer = buffer;
      source.connect(master);
      source.start(nextSoundTime);
      nextSoundTime += soundChunk / mixRate;
    }
  }

  // Root mean square of what the graph plays now: 0 for silence.
  function audioLevel() {
    if (!analyser) return 0;
    const samples = new Float32Array(analyser.fftSize);
    analyser.getFloatTimeDomainData(samples);
    return Math.sqrt(samples.reduce((sum, s) => sum + s * s, 0) / samples.length);
  }

  // Browsers play sound only after the user has done something on the page.
  function startSound() {
    if (audio && audio.state === 'suspended' && !document.hidden) audio.resume().catch(() => {});
  }

  function showHint() {
    const waiting = audio && audio.state === 'suspended' && !saverMode;
    if (waiting && !hintShown) {
      hintShown = true;
      hint.hidden = false;
      setTimeout(() => hint.classList.add('fading'), hintFor);
      setTimeout(() => (hint.hidden = true), hintFor + 1500);
    } else if (!waiting) {
      hint.hidden = true;
    }
  }

  // --- the display loop and visibility ---

  function loop() {
    if (running && !document.hidden) {
      if (Module._emberhall_draw() > 0) window.emberhall.ready = true;
      pumpAudio();
    }
    requestAnimationFrame(loop);
  }

  document.addEventListener('visibilitychange', () => {
    if (!running) return;
    Module._emberhall_set_visible(document.hidden ? 0 : 1);
    if (!audio) return;
    if (document.hidden && audio.state === 'running') {
      resumeWhenShown = true;
      audio.suspend().catch(() => {});
    } else if (!document.hidden && resumeWhenShown) {
      resumeWhenShown = false;
      audio.resume().catch(() => {});
    }
  });

  // --- full screen and the saver's ends ---

  function fullscreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  function enterFullscreen() {
    const root = document.documentElement;
    const request = root.requestFullscreen || root.webkitRequestFullscreen;
    if (request) Promise.resolve(request.call(root)).catch(() => {});
  }

  function leaveFullscreen() {
    const exit = document.exitFullscreen || document.webkitExitFullscreen;
    if (fullscreenElement() && exit) Promise.resolve(exit.call(document)).catch(() => {});
  }

  function toggleFullscreen() {
    if (fullscreenElement()) leaveFullscreen();
    else enterFullscreen();
  }

  function onFullscreenChange() {
    fullscreenSince = performance.now();
  }
  document.addEventListener('fullscreenchange', onFullscreenChange);
  document.addEventListener('webkitfullscreenchange', onFullscreenChange);

  // The browser moves the picture as it enters full screen, and may report that as a move.
  function settledInFullscreen() {
    return fullscreenElement() && performance.now() - fullscreenSince > 300;
  }

  canvas.addEventListener('dblclick', toggleFullscreen);

  window.addEventListener('mousemove', (event) => {
    if (saverMode) {
      if (settledInFullscreen() && (event.movementX || event.movementY)) leaveFullscreen();
      return;
    }
    document.body.classList.remove('still');
    clearTimeout(stillTimer);
    stillTimer = setTimeout(() => {
      if (panel.hidden) document.body.classList.add('still');
    }, stillAfter);
  });

  window.addEventListener(
    'pointerdown',
    (event) => {
      startSound();
      if (saverMode && settledInFullscreen() && (event.button === 0 || event.button === 2)) leaveFullscreen();
    },
    true,
  );

  window.addEventListener('contextmenu', (event) => {
    if (saverMode) event.preventDefault();
  });

  function typing(event) {
    const target = event.target;
    return target instanceof HTMLInputElement || target instanceof HTMLTextAreaElement;
  }

  window.addEventListener('keydown', (event) => {
    startSound();
    if (event.key === 'Escape') {
      if (saverMode) leaveFullscreen();
      else if (!panel.hidden) closePanel();
      return;
    }
    if (typing(event) || event.ctrlKey || event.metaKey || event.altKey) return;
    if (event.key === 'f' || event.key === 'F') toggleFullscreen();
    else if ((event.key === 's' || event.key === 'S') && !saverMode) {
      if (panel.hidden) openPanel();
      else closePanel();
    }
  });

  // --- the settings panel ---

  // A new start of the scene warms the fire up again, which takes a moment: it waits until the
  // panel has shown the change, and one start serves a quick run of changes.
  let restartTimer = 0;
  function restartSoon() {
    clearTimeout(restartTimer);
    restartTimer = setTimeout(() => Module._emberhall_restart(), 150);
  }

  const controls = Array.from(panel.querySelectorAll('input[data-control]'));

  function showChecks() {
    const checked = Module._emberhall_checked_controls();
    for (const input of controls) input.checked = (checked & (1 << Number(input.dataset.control))) !== 0;
  }

  for (const input of controls) {
    input.addEventListener('change', () => {
      const reason = Module.ccall('emberhall_click', 'string', ['number', 'number'], [
        Number(input.dataset.control),
        input.checked ? 1 : 0,
      ]);
      say(reason ? `The settings could not be saved: ${reason}` : '');
      keepUserFiles();
      showChecks();
      restartSoon();
    });
  }

  function messageRow(text, seconds) {
    const row = document.createElement('div');
    row.className = 'message';
    const textInput = Object.assign(document.createElement('input'), { type: 'text', value: text, maxLength: 200 });
    const secondsInput = Object.assign(document.createElement('input'), {
      type: 'number', value: seconds, min: 0, max: 3600, step: 0.5, title: 'Seconds it stands',
    });
    const remove = Object.assign(document.createElement('button'), { type: 'button', textContent: '\u00d7', title: 'Remove' });
    remove.addEventListener('click', () => row.remove());
    row.append(textInput, secondsInput, remove);
    return row;
  }

  function showMessages() {
    const rows = Module.ccall('emberhall_message_rows', 'string', [], []);
    messages.replaceChildren(
      ...rows.split('\n').filter((line) => line).map((line) => {
        const [text, seconds] = line.split('\t');
        return messageRow(text, seconds);
      }),
    );
  }

  function saveMessages() {
    const rows = Array.from(messages.querySelectorAll('.message'), (row) => {
      const [text, seconds] = row.querySelectorAll('input');
      return text.value.replace(/[\t\r\n]/g, ' ') + '\t' + (seconds.value || '5');
    }).join('\n');
    const reason = Module.ccall('emberhall_set_message_rows', 'string', ['string'], [rows]);
    say(reason ? `The messages could not be saved: ${reason}` : 'Saved.');
    keepUserFiles();
    showMessages();
    restartSoon();
  }

  function defaultMessages() {
    if (exists('/user/fire_data/motd.txt')) fs().unlink('/user/fire_data/motd.txt');
    keepUserFiles();
    showMessages();
    restartSoon();
    say('');
  }

  function openPanel() {
    if (!running) return;
    showChecks();
    showMessages();
    panel.hidden = false;
    document.body.classList.remove('still');
    document.body.classList.add('panel-open');
  }

  function closePanel() {
    panel.hidden = true;
    document.body.classList.remove('panel-open');
  }

  document.getElementById('open-settings').addEventListener('click', openPanel);
  document.getElementById('close-settings').addEventListener('click', closePanel);
  document.getElementById('add-message').addEventListener('click', () => messages.append(messageRow('', 5)));
  document.getElementById('save-messages').addEventListener('click', saveMessages);
  document.getElementById('default-messages').addEventListener('click', defaultMessages);
  canvas.addEventListener('click', () => {
    if (!panel.hidden) closePanel();
  });

  // --- music the user picks ---

  // A WAV file of 16-bit samples that our own reader plays.
  function wavFile(decoded) {
    const channels = Math.min(decoded.numberOfChannels, 2);
    const frames = decoded.length;
    const bytes = new ArrayBuffer(44 + frames * channels * 2);
    const view = new DataView(bytes);
    const text = (at, s) => [...s].forEach((c, i) => view.setUint8(at + i, c.charCodeAt(0)));
    text(0, 'RIFF');
    view.setUint32(4, 36 + frames * channels * 2, true);
    text(8, 'WAVEfmt ');
    view.setUint32(16, 16, true);
    view.setUint16(20, 1, true);
    view.setUint16(22, channels, true);
    view.setUint32(24, decoded.sampleRate, true);
    view.setUint32(28, decoded.sampleRate * channels * 2, true);
    view.setUint16(32, channels * 2, true);
    view.setUint16(34, 16, true);
    text(36, 'data');
    view.setUint32(40, frames * channels * 2, true);
    const data = [];
    for (let c = 0; c < channels; ++c) data.push(decoded.getChannelData(c));
    let at = 44;
    for (let i = 0; i < frames; ++i) {
      for (let c = 0; c < channels; ++c, at += 2) {
        const s = Math.max(-1, Math.min(1, data[c][i]));
        view.setInt16(at, s < 0 ? s * 0x8000 : s * 0x7fff, true);
      }
    }
    return new Uint8Array(bytes);
  }

  function forgetTracks() {
    for (const name of fs().readdir('/music')) if (name !== '.' && name !== '..') fs().unlink('/music/' + name);
    if (exists('/user/fire_data/pls.txt')) fs().unlink('/user/fire_data/pls.txt');
    trackList.replaceChildren();
  }

  // WAV files our own reader plays are kept as they are; anything else the browser decodes into
  // one. The playlist then names the files in the order they were given.
  async function useTracks(files) {
    if (!running || files.length === 0) return;
    forgetTracks();
    const decoder = new (window.OfflineAudioContext || window.webkitOfflineAudioContext)(2, 1, mixRate);
    const paths = [];
    const refused = [];
    for (const file of files) {
      const path = `/music/${String(paths.length + 1).padStart(3, '0')}.wav`;
      say(`Reading ${file.name}\u2026`);
      try {
        const bytes = await file.arrayBuffer();
        fs().writeFile(path, new Uint8Array(bytes));
        if (!Module.ccall('emberhall_reads_wav', 'number', ['string'], [path]))
          fs().writeFile(path, wavFile(await decoder.decodeAudioData(bytes)));
        paths.push(path);
        trackList.append(Object.assign(document.createElement('li'), { textContent: file.name }));
      } catch (error) {
        if (exists(path)) fs().unlink(path);
        refused.push(`${file.name} (${(error && error.message) || 'not a sound this browser can decode'})`);
      }
    }
    fs().writeFile('/user/fire_data/pls.txt', paths.join('\n') + '\n');
    restartSoon();
    const off = (Module._emberhall_checked_controls() & (1 << 4)) === 0;
    say(
      (refused.length ? `Left out, as they cannot be played: ${refused.join(', ')}. ` : '') +
        (paths.length && off ? 'Tick Play Music Playlist to hear them.' : ''),
    );
  }

  document.getElementById('tracks').addEventListener('change', (event) => useTracks(Array.from(event.target.files)));
  document.getElementById('forget-tracks').addEventListener('click', () => {
    forgetTracks();
    restartSoon();
  });
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => {
    event.preventDefault();
    if (!saverMode) useTracks(Array.from(event.dataTransfer.files));
  });

  // --- the program ---

  window.emberhall = {
    ready: false,
    audioLevel,
    audioState: () => (audio ? audio.state : 'none'),
    heatChecksum: (seed, steps) =>
      Module.ccall('emberhall_heat_checksum', 'string', ['number', 'number'], [seed, steps]),
    fireFrameTime: (frames) => Module._emberhall_fire_frame_time(frames),
    fireKernel: () => Module.ccall('emberhall_fire_kernel', 'string', [], []),
  };

  window.Module = {
    page: { openCanvas, showPicture, openAudio, closeAudio },
    preRun: [restoreUserFiles],
    postRun: [
      () => {
        running = true;
        if (document.hidden) Module._emberhall_set_visible(0); // opened in a background tab
        setInterval(pumpAudio, 100); // also while the display slows its refreshes down
        requestAnimationFrame(loop);
      },
    ],
    onAbort: (what) => {
      running = false;
      hint.hidden = false;
      hint.classList.remove('fading');
      hint.textContent = `Emberhall cannot run in this browser: ${what}`;
    },
  };

  // The program, in the build this browser can run: with WebAssembly SIMD where it validates a
  // module that uses it, else the plain one (?simd=off asks for that one anywhere).
  const simdModule = new Uint8Array([
    0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11,
  ]);
  const simd = new URLSearchParams(location.search).get('simd') !== 'off' &&
    typeof WebAssembly === 'object' && WebAssembly.validate(simdModule);
  document.body.append(Object.assign(document.createElement('script'), {
    src: simd ? 'emberhall.js' : 'emberhall-plain.js',
  }));
})();
