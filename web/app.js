// The page: the list of entries, the options, the live figures, Preview and
// Download. The core runs in a worker (zorvane-worker.js), which holds the
// files' bytes; this script holds only what it shows. A plain script, not a
// module, so that the page also works when opened from a file.
'use strict';

(() => {
  const T = self.ZorvaneTexts;
  const $ = (id) => document.getElementById(id);
  const format = (text, ...values) => values.reduce((t, v, i) => t.replace(`%${i + 1}`, v), text);
  const numberText = (n) => n.toLocaleString('en-US');

  // Texts from res/ui_texts.h into the page.
  for (const element of document.querySelectorAll('[data-text]')) element.textContent = T[element.dataset.text];
  document.title = T.product;
  $('file-name').value = T.defaultName;
  $('preview').title = T.previewTip;
  $('sort').title = T.sortTip;
  $('center').parentElement.title = T.centerTip;
  $('limit').title = T.limitTip;
  $('smallest').parentElement.title = T.smallestTip;
  $('fit-limit').parentElement.title = T.fitLimitTip;
  $('undo').title = T.undoTip;
  $('redo').title = T.redoTip;

  // Preferences kept by the browser (none when it keeps nothing, as some do
  // for pages opened from a file).
  const preferences = {
    get(key) {
      try {
        return localStorage.getItem(`zorvane.${key}`);
      } catch (e) {
        return null;
      }
    },
    set(key, value) {
      try {
        localStorage.setItem(`zorvane.${key}`, value);
      } catch (e) {
        // Not kept: the page works the same.
      }
    },
  };
  $('smallest').checked = preferences.get('smallest') !== 'off';
  const seconds = (hundredths) => `${(hundredths / 100).toFixed(2)} ${T.seconds}`;

  // ------------------------------------------------------------------ worker
  let worker = null;
  let seq = 0;
  const waiting = new Map(); // seq -> {resolve, onProgress}

  function startWorker() {
    const source = `(${self.zorvaneWorker.toString()})();`;
    const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    worker = new Worker(url);
    URL.revokeObjectURL(url);
    worker.onmessage = ({ data }) => {
      if (data.type === 'ready') {
        document.body.dataset.core = 'ready';
        return;
      }
      const request = waiting.get(data.seq);
      if (!request) return;
      if (data.type === 'progress') {
        request.onProgress?.(data.index, data.count);
        return;
      }
      waiting.delete(data.seq);
      request.resolve(data);
    };
    worker.onerror = (event) => {
      event.preventDefault();
      failed(event.message || 'worker error');
    };
  }

  // Sends a request; resolves to the worker's answer.
  function ask(request, onProgress = null) {
    if (!worker) return Promise.resolve({ type: 'failed', message: T.msgNoWorker });
    const id = ++seq;
    return new Promise((resolve) => {
      waiting.set(id, { resolve, onProgress });
      worker.postMessage({ ...request, seq: id });
    });
  }

  function failed(message) {
    setStatus(format(T.msgFailed, message), true);
    for (const { resolve } of waiting.values()) resolve({ type: 'failed', message });
    waiting.clear();
  }

  // ----------------------------------------------------------------- entries
  // {id, name, size, file, state: 'checking' | 'ok' | 'bad', message, info, all, delay, selected, row,
  //  newDelay, delayTouched, removed}. delay null: each image keeps its own. A new entry keeps its own
  //  delays until it is known to be a single image, which then takes the delay of new frames (newDelay),
  //  unless its delay was edited meanwhile.
  const entries = [];
  let nextId = 1;

  const list = $('list');

  function addFiles(files) {
    for (const file of files) {
      const entry = {
        id: nextId++,
        name: file.name,
        size: file.size,
        file,
        state: 'checking',
        message: '',
        info: null,
        all: true,
        delay: null,
        newDelay: newFrameDelay,
        delayTouched: false,
        selected: false,
        row: null,
        removed: false,
      };
      entries.push(entry);
      entry.row = makeRow(entry);
      list.append(entry.row);
      drawThumbnail(entry, file);
      inspect(entry);
    }
    changed();
  }

  // Hands the entry's file to the worker and shows what it holds.
  function inspect(entry) {
    entry.state = 'checking';
    entry.removed = false;
    ask({ type: 'add', id: entry.id, file: entry.file }).then((answer) => {
      if (!entries.includes(entry)) return;
      const summary = answer.summary || {};
      if (answer.type !== 'inspected' || summary.message || summary.unreadable) {
        entry.state = 'bad';
        entry.message = summary.message || (summary.unreadable ? T.msgUnreadable : answer.message);
      } else {
        entry.state = 'ok';
        entry.info = summary;
        if (summary.images === 1 && entry.delay === null && !entry.delayTouched) {
          entry.delay = entry.newDelay;
          // Part of adding it, not a change of its own to undo.
          for (const kept of history.baseline?.entries || []) if (kept.entry === entry) kept.delay = entry.delay;
        }
      }
      updateRow(entry);
      changed();
    });
  }

  async function drawThumbnail(entry, file) {
    const canvas = entry.row.querySelector('canvas');
    try {
      const bitmap = await createImageBitmap(file);
      const scale = Math.min(canvas.width / bitmap.width, canvas.height / bitmap.height, 1);
      const w = Math.max(1, Math.round(bitmap.width * scale));
      const h = Math.max(1, Math.round(bitmap.height * scale));
      canvas.getContext('2d').drawImage(bitmap, (canvas.width - w) / 2, (canvas.height - h) / 2, w, h);
      bitmap.close();
    } catch (e) {
      canvas.classList.add('none');
    }
  }

  function makeRow(entry) {
    const row = document.createElement('li');
    row.className = 'entry';
    row.tabIndex = 0;
    row.draggable = true;
    row.dataset.id = entry.id;
    row.innerHTML = `
      <input type="checkbox" class="select">
      <canvas class="thumb" width="48" height="48" aria-hidden="true"></canvas>
      <div class="about">
        <span class="name"></span>
        <span class="details"></span>
        <span class="problem"></span>
        <span class="delay-problem error" role="alert"></span>
      </div>
      <label class="all"><input type="checkbox" checked> <span></span></label>
      <label class="delay"><span class="visually-hidden"></span>
        <input type="text" inputmode="numeric" autocomplete="off" spellcheck="false">
        <abbr></abbr></label>
      <button type="button" class="remove">\u00d7</button>`;
    row.querySelector('.name').textContent = entry.name;
    const select = row.querySelector('.select');
    select.setAttribute('aria-label', `${T.select} ${entry.name}`);
    select.addEventListener('change', () => {
      entry.selected = select.checked;
      syncSelectAll();
    });
    const all = row.querySelector('.all input');
    row.querySelector('.all span').textContent = T.allFrames;
    all.addEventListener('change', () => {
      entry.all = all.checked;
      changed();
    });
    const delay = row.querySelector('.delay input');
    row.querySelector('.delay .visually-hidden').textContent = `${T.delayLabel} ${entry.name}`;
    row.querySelector('.delay abbr').textContent = T.delayUnitShort;
    row.querySelector('.delay abbr').title = T.delayUnit;
    delay.placeholder = T.ownDelays;
    delay.addEventListener('change', () => {
      const read = readDelay(delay, row.querySelector('.delay-problem'));
      if (read !== undefined) {
        entry.delay = read;
        entry.delayTouched = true;
      }
      delay.value = entry.delay ?? '';
      changed();
    });
    const remove = row.querySelector('.remove');
    remove.title = T.removeFrame;
    remove.setAttribute('aria-label', `${T.removeFrame}: ${entry.name}`);
    remove.addEventListener('click', () => removeEntries([entry]));
    updateRow(entry, row);
    return row;
  }

  function updateRow(entry, row = entry.row) {
    row.classList.toggle('bad', entry.state === 'bad');
    row.classList.toggle('checking', entry.state === 'checking');
    const details = row.querySelector('.details');
    const problem = row.querySelector('.problem');
    const info = entry.info;
    if (entry.state === 'ok') {
      const images = info.images === 1 ? T.imagesOne : format(T.imagesMany, numberText(info.images));
      // Own delays: their sum as browsers play them, like the editor's entries.
      const own = entry.delay === null && (entry.all || info.images === 1) ?
        ` \u00b7 ${format(T.ownSum, seconds(info.played))}` : '';
      details.textContent = `${info.width} \u00d7 ${info.height} \u00b7 ${info.palette} (${info.bitsPerPixel} bpp)` +
        ` \u00b7 ${images} \u00b7 ${numberText(entry.size)} ${T.bytes}${own}`;
    } else {
      details.textContent = entry.state === 'checking' ? T.checking : `${numberText(entry.size)} ${T.bytes}`;
    }
    problem.textContent = entry.state === 'bad' ? `${T.unusable} ${entry.message}` : '';
    row.querySelector('.all').hidden = !(entry.state === 'ok' && info.images > 1);
    row.querySelector('.all input').checked = entry.all;
    row.querySelector('.delay input').value = entry.delay ?? '';
    row.querySelector('.select').checked = entry.selected;
    const position = entries.indexOf(entry) + 1;
    row.setAttribute('aria-label', `${position}. ${entry.name}${entry.state === 'bad' ? `, ${T.unusable} ${entry.message}` : ''}`);
  }

  function render() {
    list.replaceChildren(...entries.map((entry) => entry.row));
    entries.forEach((entry) => updateRow(entry));
    $('empty').hidden = entries.length > 0;
    syncSelectAll();
  }

  function removeEntries(gone) {
    const focusIndex = gone.length === 1 ? entries.indexOf(gone[0]) : -1;
    for (const entry of gone) {
      const index = entries.indexOf(entry);
      if (index < 0) continue;
      entries.splice(index, 1);
      forget(entry);
    }
    render();
    changed();
    if (focusIndex >= 0 && entries.length > 0) entries[Math.min(focusIndex, entries.length - 1)].row.focus();
  }

  function moveEntry(entry, to) {
    const from = entries.indexOf(entry);
    if (from < 0 || to < 0 || to >= entries.length || to === from) return;
    entries.splice(from, 1);
    entries.splice(to, 0, entry);
    render();
    changed();
  }

  // The worker lets go of a removed entry's file; undoing the removal reads it again.
  function forget(entry) {
    entry.removed = true;
    ask({ type: 'remove', id: entry.id });
  }

  // Reads a delay field: a whole number 0..65535, or null when empty (the
  // file's own). Anything else is refused: undefined, with the reason shown
  // in `problem`, for the caller to keep the value before.
  function readDelay(input, problem) {
    const text = input.value.trim();
    const ok = text === '' || (/^[0-9]+$/.test(text) && Number(text) <= 65535);
    problem.textContent = ok ? '' : format(T.msgDelay, text);
    input.toggleAttribute('aria-invalid', !ok);
    if (!ok) return undefined;
    return text === '' ? null : Number(text);
  }

  function syncSelectAll() {
    const box = $('select-all');
    const selected = entries.filter((e) => e.selected).length;
    box.checked = selected > 0 && selected === entries.length;
    box.indeterminate = selected > 0 && selected < entries.length;
  }

  // ------------------------------------------------------ list: keys and drag
  list.addEventListener('keydown', (event) => {
    const row = event.target;
    if (!row.classList || !row.classList.contains('entry')) return;
    const entry = entries.find((e) => e.row === row);
    if (!entry) return;
    const index = entries.indexOf(entry);
    if (event.altKey && (event.key === 'ArrowUp' || event.key === 'ArrowDown')) {
      event.preventDefault();
      moveEntry(entry, index + (event.key === 'ArrowUp' ? -1 : 1));
      entry.row.focus();
    } else if (!event.altKey && (event.key === 'ArrowUp' || event.key === 'ArrowDown')) {
      event.preventDefault();
      entries[index + (event.key === 'ArrowUp' ? -1 : 1)]?.row.focus();
    } else if (event.key === 'Delete') {
      event.preventDefault();
      removeEntries([entry]);
    } else if (event.key === ' ') {
      event.preventDefault();
      entry.selected = !entry.selected;
      updateRow(entry);
      syncSelectAll();
    }
  });

  // A row is dragged by any part but its fields and buttons, whose text stays selectable.
  list.addEventListener('pointerdown', (event) => {
    const row = event.target.closest?.('.entry');
    if (row) row.draggable = !event.target.closest('input, button, label');
  });

  const entryType = 'application/x-zorvane-entry';
  let dragged = null;
  list.addEventListener('dragstart', (event) => {
    const row = event.target.closest?.('.entry');
    if (!row) return;
    dragged = entries.find((e) => e.row === row) || null;
    event.dataTransfer.setData(entryType, String(row.dataset.id));
    event.dataTransfer.effectAllowed = 'move';
    row.classList.add('dragging');
  });
  list.addEventListener('dragend', () => {
    dragged?.row.classList.remove('dragging');
    dragged = null;
    clearDropMarks();
  });
  function dropIndex(event) {
    const rows = entries.map((e) => e.row);
    for (let i = 0; i < rows.length; i++) {
      const box = rows[i].getBoundingClientRect();
      if (event.clientY < box.top + box.height / 2) return i;
    }
    return rows.length;
  }
  function clearDropMarks() {
    for (const row of list.querySelectorAll('.drop-before, .drop-after')) row.classList.remove('drop-before', 'drop-after');
  }
  list.addEventListener('dragover', (event) => {
    if (!dragged || !event.dataTransfer.types.includes(entryType)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'move';
    clearDropMarks();
    const at = dropIndex(event);
    if (at < entries.length) entries[at].row.classList.add('drop-before');
    else if (entries.length) entries[entries.length - 1].row.classList.add('drop-after');
  });
  list.addEventListener('drop', (event) => {
    if (!dragged || !event.dataTransfer.types.includes(entryType)) return;
    event.preventDefault();
    event.stopPropagation();
    clearDropMarks();
    const from = entries.indexOf(dragged);
    let to = dropIndex(event);
    if (to > from) to -= 1;
    const entry = dragged;
    moveEntry(entry, to);
    entry.row.focus();
  });

  // Files dropped anywhere on the page.
  document.addEventListener('dragover', (event) => {
    if (!event.dataTransfer.types.includes('Files')) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) document.body.classList.remove('dropping');
  });
  document.addEventListener('drop', (event) => {
    document.body.classList.remove('dropping');
    if (!event.dataTransfer.types.includes('Files')) return;
    event.preventDefault();
    addFiles([...event.dataTransfer.files]);
  });

  // ------------------------------------------------------------- the toolbar
  $('choose').addEventListener('click', () => $('file-input').click());
  $('file-input').addEventListener('change', (event) => {
    addFiles([...event.target.files]);
    event.target.value = '';
  });
  $('clear').addEventListener('click', () => removeEntries([...entries]));
  $('remove-marked').addEventListener('click', () => removeEntries(entries.filter((e) => e.state === 'bad')));
  $('select-all').addEventListener('change', (event) => {
    for (const entry of entries) entry.selected = event.target.checked;
    render();
  });
  $('set-delay').addEventListener('click', () => {
    const delay = readDelay($('selected-delay'), $('delay-problem'));
    if (delay === undefined) return;
    const chosen = entries.filter((e) => e.selected);
    for (const entry of chosen) {
      entry.delay = delay;
      entry.delayTouched = true;
    }
    render();
    changed();
  });
  // The delay of new single frames (an empty field: their own).
  let newFrameDelay = 10;
  $('default-delay').addEventListener('change', () => {
    const delay = readDelay($('default-delay'), $('delay-problem'));
    if (delay !== undefined) newFrameDelay = delay;
    $('default-delay').value = newFrameDelay ?? '';
  });
  $('sort').addEventListener('click', async () => {
    if (entries.length < 2) return;
    const snapshot = [...entries];
    const answer = await ask({ type: 'sort', names: snapshot.map((e) => e.name) });
    if (answer.type !== 'sorted') return;
    // Entries added or removed meanwhile keep their places at the end.
    const sorted = answer.order.map((i) => snapshot[i]).filter((e) => entries.includes(e));
    const rest = entries.filter((e) => !snapshot.includes(e));
    entries.splice(0, entries.length, ...sorted, ...rest);
    render();
    changed();
  });

  for (const input of document.querySelectorAll('input[name="plays"], input[name="order"], #center, #fit-limit'))
    input.addEventListener('change', changed);
  $('smallest').addEventListener('change', () => {
    preferences.set('smallest', $('smallest').checked ? 'on' : 'off');
    changed();
  });
  $('plays-count').addEventListener('input', () => {
    $('plays-times').checked = true;
    changed();
  });
  $('limit').addEventListener('change', () => {
    const custom = $('limit').value === 'custom';
    $('limit-custom').hidden = !custom;
    $('limit-unit').hidden = !custom;
    changed();
  });
  $('limit-custom').addEventListener('input', changed);

  // ---------------------------------------------------------------- the plan
  function plays() {
    if (document.querySelector('input[name="plays"]:checked').value === 'forever') return 0;
    const n = Number($('plays-count').value);
    return Number.isInteger(n) && n >= 1 && n <= 65536 ? n : null;
  }

  function plan() {
    return {
      plays: plays(),
      order: document.querySelector('input[name="order"]:checked').value,
      center: $('center').checked,
      smallest: $('smallest').checked,
      maxBytes: $('fit-limit').checked ? limitBytes() : 0,
      entries: entries.map((e) => ({ id: e.id, all: e.all, delay: e.delay })),
    };
  }

  // What stops a build before it starts: the marked entries, an empty list,
  // entries still being read, a number of plays out of range.
  function blocker() {
    const marked = entries.filter((e) => e.state === 'bad');
    if (marked.length) return `${T.msgMarked} ${marked.map((e) => e.name).join(', ')}`;
    if (entries.length === 0) return T.msgNoFrames;
    if (entries.some((e) => e.state === 'checking')) return T.checking;
    if (plays() === null) return T.msgPlays;
    return null;
  }

  // ---------------------------------------------------------- live figures
  let measured = null; // the last measurement's result
  let measureSeq = 0;
  let measureTimer = 0;
  let built = null; // {key, blob, url} of the last successful build
  let building = false;
  let buildCount = 0;

  function changed() {
    history.commit();
    const marked = entries.filter((e) => e.state === 'bad');
    $('remove-marked').hidden = marked.length === 0;
    $('marked').hidden = marked.length === 0;
    $('marked').textContent = marked.length ? `${T.msgMarked} ${marked.map((e) => e.name).join(', ')}` : '';
    $('empty').hidden = entries.length > 0;
    $('delay-hint').hidden = !entries.some((e) => e.delay === 0 || e.delay === 1);
    // A preview of another plan is no preview of this one.
    $('preview-box').hidden = true;
    // The figures are out of date until the measurement of this change is in.
    $('figures').setAttribute('aria-busy', 'true');
    clearTimeout(measureTimer);
    measureTimer = setTimeout(measure, 30);
  }

  async function measure() {
    const stop = blocker();
    const mine = ++measureSeq;
    if (stop) {
      measured = null;
      $('measuring').hidden = true;
    } else {
      const current = plan();
      $('measuring').hidden = false;
      const answer = await ask({ type: 'run', write: false, plan: current });
      if (mine !== measureSeq) return;
      $('measuring').hidden = true;
      measured = answer.type === 'ran' ? answer.result : { ok: false, message: answer.message };
    }
    if (!entries.some((e) => e.state === 'checking')) $('figures').removeAttribute('aria-busy');
    showFigures();
  }

  function limitBytes() {
    const choice = $('limit').value;
    const mb = choice === 'custom' ? Number($('limit-custom').value) : Number(choice);
    return Number.isFinite(mb) && mb > 0 ? Math.round(mb * 1e6) : 0;
  }

  function showFigures() {
    const ok = measured && measured.ok;
    $('frame-count').textContent = ok ? measured.framesText : '\u2013';
    $('frame-count').dataset.frames = ok ? String(measured.frames) : '';
    // As browsers play it; the delays as written in the tooltip.
    $('duration').textContent = ok ? seconds(measured.played) : '\u2013';
    $('duration').title = ok ? format(T.writtenDuration, seconds(measured.duration)) : '';
    $('size').textContent = ok ? `${numberText(measured.bytes)} ${T.bytes}` : '\u2013';
    $('size').dataset.bytes = ok ? String(measured.bytes) : '';
    const limit = limitBytes();
    const over = ok && limit > 0 && measured.bytes > limit;
    $('size').classList.toggle('over', over);
    $('over-limit').hidden = !over;
    for (const entry of entries) entry.row.classList.remove('refused');
    if (building) return;
    const stop = blocker();
    if (stop && entries.length) setStatus(stop, entries.some((e) => e.state === 'bad'));
    else if (measured && !measured.ok) setStatus(resultMessage(measured), true);
    else setStatus('');
  }

  // The core's message, with the entry it is about.
  function resultMessage(result) {
    const message = result.message || T.msgIncomplete;
    if (result.entry === undefined || result.entry === null || !entries[result.entry]) return message;
    const entry = entries[result.entry];
    entry.row.classList.add('refused');
    return `${format(T.msgEntry, result.entry + 1, entry.name)} ${message}`;
  }

  function setStatus(text, error = false) {
    const status = $('status');
    status.textContent = text;
    status.classList.toggle('error', Boolean(error));
  }

  // ----------------------------------------------------- Preview and Download
  // Builds the current plan (or reuses the last build of the same plan);
  // resolves to the result, with a blob when it succeeded.
  async function build() {
    const stop = blocker();
    if (stop) {
      setStatus(stop, true);
      return null;
    }
    const current = plan();
    const key = JSON.stringify(current);
    if (built && built.key === key) return built;
    building = true;
    setBusy(true);
    setStatus(T.building);
    const progress = $('progress');
    const shown = setTimeout(() => {
      progress.hidden = false;
    }, 300);
    const answer = await ask({ type: 'run', write: true, plan: current }, (index, count) => {
      progress.max = count;
      progress.value = index;
    });
    clearTimeout(shown);
    progress.hidden = true;
    building = false;
    setBusy(false);
    if (answer.type !== 'ran' || !answer.result.ok || !answer.output) {
      setStatus(answer.type === 'ran' ? resultMessage(answer.result) : format(T.msgFailed, answer.message), true);
      return null;
    }
    if (built) URL.revokeObjectURL(built.url);
    // The output's buffer, handed over by the worker, becomes the Blob (the
    // browser's one copy) and then goes back to the worker for its next build.
    const handed = performance.now();
    const { buffer, bytes } = answer.output;
    const blob = new Blob([new Uint8Array(buffer, 0, bytes)], { type: 'image/gif' });
    if (worker) worker.postMessage({ type: 'spare', buffer }, [buffer]);
    built = { key, blob, url: URL.createObjectURL(blob), result: answer.result };
    // For measurements: how many builds the page made, the last one's time in
    // the worker, and the time taken to hand its output over as a Blob.
    document.body.dataset.built = String(++buildCount);
    document.body.dataset.buildMs = String(Math.round(answer.result.milliseconds));
    document.body.dataset.blobMs = String(
      Math.round(answer.result.blobMilliseconds + performance.now() - handed));
    setStatus('');
    return built;
  }

  function setBusy(busy) {
    $('preview').disabled = busy;
    $('download').disabled = busy;
  }

  $('preview').addEventListener('click', async () => {
    const result = await build();
    if (!result) return;
    const image = $('preview-image');
    // Small animations are shown larger, pixel for pixel.
    image.onload = () => {
      const scale = Math.max(1, Math.floor(256 / Math.max(image.naturalWidth, image.naturalHeight)));
      image.style.width = `${image.naturalWidth * scale}px`;
      image.classList.toggle('scaled', scale > 1);
    };
    image.src = result.url;
    $('preview-image').alt = `${T.preview}: ${numberText(result.result.frames)} ${T.frames.replace(/:$/, '')}`;
    $('preview-box').hidden = false;
  });

  $('download').addEventListener('click', async () => {
    const result = await build();
    if (!result) return;
    let name = $('file-name').value.trim() || T.defaultName;
    if (!/\.gif$/i.test(name)) name += '.gif';
    const link = document.createElement('a');
    link.href = result.url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setStatus(format(T.msgSaved, name, numberText(result.result.bytes)));
  });

  // ------------------------------------------------------------ undo, redo
  // Every change to the list and the animation's settings is a step:
  // `baseline` is the state after the last one.
  const history = {
    undo: [],
    redo: [],
    baseline: null,
    restoring: false,
    state() {
      return {
        entries: entries.map((entry) => ({ entry, delay: entry.delay, all: entry.all })),
        plays: document.querySelector('input[name="plays"]:checked').value,
        playsCount: $('plays-count').value,
        order: document.querySelector('input[name="order"]:checked').value,
        center: $('center').checked,
      };
    },
    key(state) {
      return JSON.stringify({ ...state, entries: state.entries.map((e) => [e.entry.id, e.delay, e.all]) });
    },
    commit() {
      if (this.restoring) return;
      const now = this.state();
      if (this.baseline && this.key(now) !== this.key(this.baseline)) {
        this.undo.push(this.baseline);
        this.redo.length = 0;
      }
      this.baseline = now;
      this.buttons();
    },
    apply(state) {
      for (const entry of entries) if (!state.entries.some((e) => e.entry === entry)) forget(entry);
      entries.splice(0, entries.length, ...state.entries.map((e) => e.entry));
      for (const { entry, delay, all } of state.entries) {
        entry.delay = delay;
        entry.all = all;
        if (entry.removed) inspect(entry);
      }
      document.querySelector(`input[name="plays"][value="${state.plays}"]`).checked = true;
      $('plays-count').value = state.playsCount;
      document.querySelector(`input[name="order"][value="${state.order}"]`).checked = true;
      $('center').checked = state.center;
      this.baseline = state;
      this.restoring = true;
      render();
      changed();
      this.restoring = false;
      this.buttons();
    },
    step(from, to) {
      if (!from.length) return;
      to.push(this.state());
      this.apply(from.pop());
    },
    buttons() {
      $('undo').disabled = this.undo.length === 0;
      $('redo').disabled = this.redo.length === 0;
    },
  };
  $('undo').addEventListener('click', () => history.step(history.undo, history.redo));
  $('redo').addEventListener('click', () => history.step(history.redo, history.undo));
  document.addEventListener('keydown', (event) => {
    if (!(event.ctrlKey || event.metaKey) || event.altKey || event.key.toLowerCase() !== 'z') return;
    // A text field undoes its own typing.
    if (event.target.matches?.('input[type="text"], input[type="number"]')) return;
    event.preventDefault();
    if (event.shiftKey) history.step(history.redo, history.undo);
    else history.step(history.undo, history.redo);
  });

  // -------------------------------------------------------------------- start
  try {
    startWorker();
  } catch (e) {
    worker = null;
    failed(e.message);
  }
  render();
  changed();
})();
