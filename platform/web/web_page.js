// The page's own code, run as soon as glaxen.js is, before the WebAssembly is ready: one object
// on the page (glaxenPage) with the canvas, the input that reaches the show, the gesture that
// starts it (the audio context made or resumed, full screen asked for, inside the gesture's
// handler as browsers require), the music's download with its progress on the page, Web Audio
// fed in pieces on the context's own clock, and the screen kept awake during the show. The
// program reaches it through web_browser.cpp's calls.
"use strict";

globalThis.glaxenPage = (() => {
  const params = new URLSearchParams(location.search);
  const canvas = document.getElementById("screen");
  const stage = document.getElementById("stage") || canvas;
  const status = document.getElementById("status");
  const kRate = 44100;  // the music's frames a second, and the context's
  const page = {
    canvas, stage,
    // Loading (the program starting), dialog, waiting (started, the music not here yet), show.
    phase: "loading",
    inputs: [], wake: null, escape: false, fullscreenShow: false, lastTouch: -1e9,
    audio: null,  // the context and what plays on it, made by the first gesture that starts a show
    music: null,  // the music's download
    wakeLock: null,
    lines: [],  // what the program wrote to standard error, also on the console
    dialogAt: 0,  // when the dialog was first shown (performance.now())
    captured: {}, done: false, shownFrames: 0,
    // For the benchmarks (?timings): each frame's marks, the part times taken from them.
    timings: params.has("timings"), marks: [0, 0, 0, 0, 0, 0], frames: [],
  };
  const kInput = { enter: 1, space: 2, tab: 3, click: 4 };

  // ---------------------------------------------------------------- the page's line

  // The loading line under the picture: what the music's download is at.
  page.say = () => {
    const m = page.music;
    let text = "";
    if (page.phase === "loading" && !m) {
      text = "Loading the show...";
    } else if (m && m.error && page.phase !== "show") {
      text = "The music did not load; the show runs silent.";
    } else if (m && !m.complete && page.phase !== "show") {
      const mb = (bytes) => (bytes / 1e6).toFixed(1);
      const howFar = m.total > 0 ? `${Math.floor((100 * m.arrived) / m.total)}% (${mb(m.arrived)} of ${mb(m.total)} MB)`
                                 : `${mb(m.arrived)} MB`;
      text = page.phase === "waiting" ? `The show starts when the music is here: ${howFar}`
                                      : `Loading the music: ${howFar}`;
    }
    if (status && status.textContent !== text) status.textContent = text;
  };

  // ---------------------------------------------------------------- the gesture that starts

  // The audio context, made or resumed now: inside a gesture's handler, as WebKit requires.
  function unlockAudio() {
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!Context) return;
    if (!page.audio) {
      let context;
      try {
        context = new Context({ sampleRate: kRate });
      } catch (error) {
        try { context = new Context(); } catch (error) { return; }
      }
      const gain = context.createGain();
      gain.connect(context.destination);
      page.audio = { context, gain, pieces: [], next: 0, streamNext: 0, held: null,
                     lastTime: -1, lastTimeAt: 0, timer: 0 };
    }
    page.audio.context.resume().catch(() => {});
  }

  // A gesture starts the show: the music's context unlocked, full screen asked for, the page
  // given to the picture.
  function started() {
    unlockAudio();
    page.phase = "waiting";
    document.body.classList.add("showing");
    if (stage.requestFullscreen && !document.fullscreenElement) {
      page.fullscreenShow = true;
      stage.requestFullscreen().catch(() => { page.fullscreenShow = false; });
    }
    page.say();
  }

  // An input for the program; one that starts the show does the gesture's part now. Before the
  // dialog, Enter, Space and a tap start; at the dialog, the dialog says what would.
  function input(kind, x = 0, y = 0) {
    if (page.phase === "loading") {
      if (kind === kInput.click || kind === kInput.tab) return;
      page.inputs.push({ kind, x, y });
      started();
    } else if (page.phase === "dialog") {
      page.inputs.push({ kind, x, y });
      if (Module._glaxenDialogStarts(kind, x, y)) started();
    } else {
      return;
    }
    if (page.wake) page.wake();
  }

  const keys = { Enter: kInput.enter, NumpadEnter: kInput.enter, Space: kInput.space, Tab: kInput.tab };
  window.addEventListener("keydown", (event) => {
    // Space on the page's own tick box ticks it; it does not start the show.
    if (event.code === "Space" && event.target instanceof HTMLInputElement) return;
    if (event.code === "Escape") {
      page.escape = true;
      if (page.wake) page.wake();
    } else if (event.code in keys) {
      if (!event.repeat) input(keys[event.code]);
    } else {
      return;
    }
    event.preventDefault();
  });

  // A click maps back to the picture's own pixels (it is letterboxed in its box).
  canvas.addEventListener("click", (event) => {
    if (event.timeStamp - page.lastTouch < 1000) return;  // a tap's own click
    const box = canvas.getBoundingClientRect();
    const scale = Math.min(box.width / canvas.width, box.height / canvas.height);
    const x = (event.clientX - box.left - (box.width - canvas.width * scale) / 2) / scale;
    const y = (event.clientY - box.top - (box.height - canvas.height * scale) / 2) / scale;
    input(kInput.click, Math.floor(x), Math.floor(y));
  });

  // A tap anywhere on the picture: it starts the show (the dialog's one button), or ends it.
  stage.addEventListener("pointerup", (event) => {
    if (event.pointerType !== "touch") return;
    page.lastTouch = event.timeStamp;
    if (page.phase === "show") {
      page.escape = true;
    } else {
      input(kInput.enter);
    }
    event.preventDefault();
  });

  // Older iOS lets audio start only from a touch's end: the tap's own, right after its pointerup.
  stage.addEventListener("touchend", () => {
    if (page.phase === "waiting") unlockAudio();
  });

  // Full screen left during the show ends it.
  document.addEventListener("fullscreenchange", () => {
    if (document.fullscreenElement || !page.fullscreenShow) return;
    page.fullscreenShow = false;
    page.escape = true;
    if (page.wake) page.wake();
  });

  // The screen kept awake through the show; a hidden page loses the lock, so it is asked again.
  function keepAwake() {
    if (!navigator.wakeLock || page.wakeLock || document.visibilityState !== "visible") return;
    page.wakeLock = navigator.wakeLock.request("screen").catch(() => null);
  }
  function letSleep() {
    const lock = page.wakeLock;
    page.wakeLock = null;
    if (lock) lock.then((sentinel) => sentinel && sentinel.release()).catch(() => {});
  }
  document.addEventListener("visibilitychange", () => {
    if (document.visibilityState === "visible" && page.phase === "show") {
      page.wakeLock = null;
      keepAwake();
    }
  });

  // What the program says it is doing: 1 the dialog, 2 waiting for the music, 3 the show.
  page.setPhase = (phase) => {
    const was = page.phase;
    page.phase = ["loading", "dialog", "waiting", "show"][phase];
    if (page.phase === "dialog" && !page.dialogAt) page.dialogAt = performance.now();
    if (page.phase === "show" && was !== "show") {
      document.body.classList.add("showing");
      keepAwake();
    }
    page.say();
  };

  // The show is over, or was never started after all: the page as before it.
  page.endShow = () => {
    letSleep();
    page.fullscreenShow = false;
    document.body.classList.remove("showing");
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  };

  // ---------------------------------------------------------------- the music's download

  // Starts fetching the music unless its bytes are here or coming; an answer that failed or was
  // not music is fetched anew.
  page.fetchMusic = (name) => {
    const kept = page.music;
    if (kept && kept.name === name && !kept.error && !kept.rejected) return;
    const m = { name, bytes: new Uint8Array(0), arrived: 0, total: -1, complete: false,
                error: null, rejected: false, firstAt: 0 };
    page.music = m;
    const changed = () => {
      page.say();
      if (page.wake) page.wake();
    };
    // An HTTP status, or -1 for a request that failed, -2 for one cut short (web_browser.h).
    const fail = (code) => {
      m.error = code;
      m.complete = true;
      changed();
    };
    fetch(name, { cache: "no-cache" }).then(async (response) => {
      if (!response.ok) return fail(response.status);
      const length = Number(response.headers.get("Content-Length"));
      if (length > 0 && !response.headers.get("Content-Encoding")) m.total = length;
      m.bytes = new Uint8Array(Math.max(m.total, 1 << 16));
      const reader = response.body.getReader();
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        if (!m.firstAt) m.firstAt = performance.now();
        if (m.arrived + value.length > m.bytes.length) {
          const grown = new Uint8Array(Math.max(2 * m.bytes.length, m.arrived + value.length));
          grown.set(m.bytes.subarray(0, m.arrived));
          m.bytes = grown;
        }
        m.bytes.set(value, m.arrived);
        m.arrived += value.length;
        changed();
      }
      m.total = m.arrived;
      m.complete = true;
      changed();
    }).catch(() => fail(m.arrived ? -2 : -1));
    changed();
  };

  // True when playing can start now and not catch up with the download: all here, or the rest
  // comes (at the rate so far, with a margin) before the playing, at bytesPerSecond of the file a
  // second of music, would reach the file's end.
  page.musicKeepsAhead = (bytesPerSecond) => {
    const m = page.music;
    if (!m || m.complete) return true;
    if (m.total <= 0 || bytesPerSecond <= 0 || !m.firstAt) return false;
    const rate = m.arrived / Math.max(0.001, (performance.now() - m.firstAt) / 1000);
    return 1.5 * ((m.total - m.arrived) / rate) + 5 < m.total / bytesPerSecond;
  };

  // ---------------------------------------------------------------- Web Audio in pieces

  // The context's time at the output now. Its output timestamp, moved on by the time since it
  // was taken, where that lies on performance.now()'s clock (WebKit's does not): then it is in
  // the past and just behind currentTime. Otherwise currentTime less the output's latency, moved
  // on between its steps.
  function outputTime(audio) {
    const context = audio.context;
    const now = performance.now();
    if (context.getOutputTimestamp) {
      const stamp = context.getOutputTimestamp();
      const at = stamp.contextTime + (context.state === "running" ? (now - stamp.performanceTime) / 1000 : 0);
      if (stamp.performanceTime > 0 && stamp.performanceTime <= now + 1 &&
          at <= context.currentTime + 0.02 && at >= context.currentTime - 1) return at;
    }
    if (context.currentTime !== audio.lastTime) {
      audio.lastTime = context.currentTime;
      audio.lastTimeAt = now;
    }
    const moved = context.state === "running" ? Math.min(0.05, (now - audio.lastTimeAt) / 1000) : 0;
    return audio.lastTime + moved - (context.outputLatency || context.baseLatency || 0);
  }

  // The stream frame heard now: inside the piece playing, before the first (negative at the
  // start), or held at the last one's end when the pieces have run out.
  page.audioHeardFrame = () => {
    const audio = page.audio;
    if (!audio) return -1;
    if (audio.held !== null) return audio.held;
    const pieces = audio.pieces;
    if (pieces.length === 0) return -1;
    const at = outputTime(audio) * kRate;
    while (pieces.length > 1 && pieces[1].at <= at) pieces.shift();
    const piece = pieces[0];
    if (at < piece.at) return piece.stream - (piece.at - at);
    return piece.stream + Math.min(piece.frames, at - piece.at);
  };

  // Frames queued that the output has not reached yet.
  page.audioQueued = () => {
    const audio = page.audio;
    return audio ? Math.max(0, audio.next - outputTime(audio) * kRate) : 0;
  };

  // Queues the stream's next frames (two channels in the heap) right after the last piece, so
  // the output is the stream sample for sample; once the last piece has played out (the start,
  // or the bytes ran out) a twentieth of a second ahead.
  page.audioQueue = (left, right, frames) => {
    const audio = page.audio;
    if (!audio) return;
    const context = audio.context;
    if (audio.next < Math.ceil(context.currentTime * kRate)) audio.next = Math.ceil((context.currentTime + 0.05) * kRate);
    const buffer = context.createBuffer(2, frames, kRate);
    buffer.copyToChannel(HEAPF32.subarray(left >> 2, (left >> 2) + frames), 0);
    buffer.copyToChannel(HEAPF32.subarray(right >> 2, (right >> 2) + frames), 1);
    const source = context.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.gain);
    source.onended = feed;
    source.start(audio.next / kRate);
    audio.pieces.push({ source, at: audio.next, stream: audio.streamNext, frames });
    audio.next += frames;
    audio.streamNext += frames;
  };

  // The program tops the queue up: when a piece ends, and every tenth of a second while playing
  // (the bytes may have run out, and a hidden page gets no animation frames).
  function feed() {
    if (page.audio && page.audio.held === null) Module._glaxenAudioFeed();
  }

  // Plays the stream from its first frame: the queue starts empty, the program fills it.
  page.audioPlay = () => {
    const audio = page.audio;
    if (!audio) return false;
    page.audioStop();
    audio.held = null;
    audio.next = 0;
    audio.streamNext = 0;
    audio.timer = setInterval(feed, 100);
    return true;
  };

  // Stops every piece queued; the heard position holds where it is.
  page.audioStop = () => {
    const audio = page.audio;
    if (!audio) return;
    if (audio.held === null) audio.held = page.audioHeardFrame();
    clearInterval(audio.timer);
    for (const piece of audio.pieces) {
      piece.source.onended = null;
      try { piece.source.stop(); } catch (error) { /* not started */ }
      piece.source.disconnect();
    }
    audio.pieces = [];
  };

  // The show is over: the context rests until a gesture starts the next.
  page.audioClose = () => {
    const audio = page.audio;
    if (!audio) return;
    page.audioStop();
    audio.held = null;
    audio.context.suspend().catch(() => {});
  };

  // ---------------------------------------------------------------- the page as it loads

  Module.printErr = (text) => {
    page.lines.push(text);
    console.warn(text);
  };
  const touch = navigator.maxTouchPoints > 0 || "ontouchstart" in globalThis;
  if (touch) document.body.classList.add("touch");
  page.say();
  return page;
})();
