// The page's worker, after the core (see worker-head.js): keeps the input files
// in the core's in-memory file system and answers the page's requests one at
// a time, in the order they come. A long build runs here, so the page stays
// responsive.
//
// Requests (from app.js), each answered by one message of the same seq:
//   {type: 'add', seq, id, file}       the file is copied in and inspected
//   {type: 'remove', seq, id}          its copy is deleted
//   {type: 'run', seq, write, plan}    the plan measured, or built (write): a
//                                      build answers with the output's bytes,
//                                      {buffer, bytes}, the buffer transferred
//   {type: 'sort', seq, names}         the natural order of the names
//   {type: 'spare', buffer}            a build's buffer back once the page has
//                                      its Blob, for the next build (no answer)
// A build also sends {type: 'progress', seq, index, count} as each entry starts.

const inputFolder = '/in';
const outputPath = '/out/animation.gif';
const pending = [];
let coreReady = false;

// This Emscripten's file system hands the heap to its files as an Int8Array,
// which V8 copies into their Uint8Arrays byte by byte, ten times slower than
// between two Uint8Arrays: the same calls, with the heap's Uint8Array view.
SYSCALLS.doReadv = function (stream, iov, iovcnt, offset) {
  let total = 0;
  for (let i = 0; i < iovcnt; i++) {
    const pointer = HEAP32[(iov + i * 8) >> 2];
    const length = HEAP32[(iov + i * 8 + 4) >> 2];
    const count = FS.read(stream, HEAPU8, pointer, length, offset);
    if (count < 0) return -1;
    total += count;
    if (count < length) break;
  }
  return total;
};
SYSCALLS.doWritev = function (stream, iov, iovcnt, offset) {
  let total = 0;
  for (let i = 0; i < iovcnt; i++) {
    const pointer = HEAP32[(iov + i * 8) >> 2];
    const length = HEAP32[(iov + i * 8 + 4) >> 2];
    const count = FS.write(stream, HEAPU8, pointer, length, offset);
    if (count < 0) return -1;
    total += count;
  }
  return total;
};

// The output's storage. Memory the system hands out for the first time is
// slow to fill (a 54 MB output spent most of its build there), so the worker
// keeps one buffer of the measured output's size, touched while the page is
// idle after each measurement, and a build writes into it: the file's
// storage becomes that buffer at its first growth instead of growing step by
// step, each step a copy of all written so far.
let spare = null;
let reserving = false;

function prepareSpare(bytes) {
  if (!(bytes > 0)) return;
  if (spare && spare.length >= bytes && spare.length <= 2 * bytes) return;
  spare = null;
  const buffer = new Uint8Array(bytes);
  for (let i = 0; i < bytes; i += 4096) buffer[i] = 0;
  spare = buffer;
}

const expandFileStorage = MEMFS.expandFileStorage;
MEMFS.expandFileStorage = function (node, capacity) {
  if (reserving && spare && spare.length >= capacity && (!node.contents || spare.length > node.contents.length)) {
    reserving = false;
    if (node.contents) spare.set(node.contents.subarray(0, node.usedBytes));
    node.contents = spare;
    spare = null;
    return;
  }
  return expandFileStorage(node, capacity);
};

// The output's bytes as they lie in the file's storage, which leaves the file
// system: the page is handed that buffer itself (transferred, never copied)
// and makes its Blob from it, and the file is removed. Storage that is part
// of the heap cannot leave it, and is copied.
function takeOutput() {
  const node = FS.lookupPath(outputPath).node;
  const storage = node.contents || new Uint8Array(0);
  const bytes = node.usedBytes;
  node.contents = null;
  node.usedBytes = 0;
  removeFile(outputPath);
  const own = storage.buffer !== HEAPU8.buffer && storage.byteOffset === 0;
  return { buffer: own ? storage.buffer : storage.slice(0, bytes).buffer, bytes };
}

function zorvaneWorkerReady() {
  FS.mkdir(inputFolder);
  FS.mkdir('/out');
  coreReady = true;
  postMessage({ type: 'ready' });
  for (const request of pending.splice(0)) answer(request);
}

self.onmessage = (event) => {
  if (coreReady) answer(event.data);
  else pending.push(event.data);
};

function inputPath(id) {
  return `${inputFolder}/${Number(id)}`;
}

// Calls one of the binding's functions. Strings go through the heap (a plan of
// many entries would not fit on the stack).
function call(name, strings, numbers = []) {
  const pointers = strings.map((text) => {
    const size = lengthBytesUTF8(text) + 1;
    const pointer = _malloc(size);
    stringToUTF8(text, pointer, size);
    return pointer;
  });
  try {
    return Module[`_${name}`](...pointers, ...numbers);
  } finally {
    pointers.forEach((pointer) => _free(pointer));
  }
}

// The same, for the functions whose answer is a JSON text.
function callForJson(name, strings, numbers = []) {
  return JSON.parse(UTF8ToString(call(name, strings, numbers)));
}

function removeFile(path) {
  try {
    FS.unlink(path);
  } catch (e) {
    // Not there: nothing to remove.
  }
}

// The plan as the binding reads it (see web/binding.cpp).
function planText(plan) {
  const order = { forward: 0, reverse: 1, bounce: 2 }[plan.order] || 0;
  const budget = Number.isSafeInteger(plan.maxBytes) && plan.maxBytes > 0 ? plan.maxBytes : 0;
  let text = `${plan.plays} ${order} ${plan.center ? 1 : 0} ${plan.smallest ? 1 : 0} ${budget} ${outputPath}\n`;
  for (const entry of plan.entries) {
    const delay = entry.delay === null || entry.delay === undefined ? -1 : entry.delay;
    text += `${entry.all ? 1 : 0} ${delay} ${inputPath(entry.id)}\n`;
  }
  return text;
}

// (Written without destructuring and `??`: emcc's JavaScript minifier of this
// Emscripten release mishandles them.)
function answer(request) {
  const seq = request.seq;
  try {
    switch (request.type) {
      case 'add': {
        const path = inputPath(request.id);
        let bytes;
        try {
          bytes = new Uint8Array(new FileReaderSync().readAsArrayBuffer(request.file));
        } catch (e) {
          postMessage({ type: 'inspected', seq, id: request.id, summary: { unreadable: true } });
          return;
        }
        // The file system takes the bytes as they are, without a copy.
        FS.writeFile(path, bytes, { canOwn: true });
        const summary = callForJson('zorvane_inspect', [path]);
        // A file that cannot be used is kept out of every build: its copy goes now.
        if (summary.message) removeFile(path);
        postMessage({ type: 'inspected', seq, id: request.id, summary });
        return;
      }
      case 'remove':
        removeFile(inputPath(request.id));
        postMessage({ type: 'removed', seq, id: request.id });
        return;
      case 'spare': {
        const returned = new Uint8Array(request.buffer);
        if (!spare || returned.length > spare.length) spare = returned;
        return;
      }
      case 'run': {
        const write = Boolean(request.write);
        Module.onEntryStarted = write ? (index, count) => postMessage({ type: 'progress', seq, index, count }) : null;
        reserving = write;
        const started = performance.now();
        const result = callForJson('zorvane_run', [planText(request.plan)], [write ? 1 : 0]);
        Module.onEntryStarted = null;
        reserving = false;
        let output = null;
        if (write) {
          result.milliseconds = performance.now() - started;
          if (result.ok) output = takeOutput();
          removeFile(outputPath);
          result.blobMilliseconds = performance.now() - started - result.milliseconds;
          // The page offers only a file that is whole: the size the core
          // announced, read back in full.
          if (output && output.bytes !== result.bytes) {
            result.ok = false;
            result.message = null;
            output = null;
          }
        } else if (result.ok) {
          postMessage({ type: 'ran', seq, write, result, output: null });
          prepareSpare(result.bytes);
          return;
        }
        postMessage({ type: 'ran', seq, write, result, output }, output ? [output.buffer] : []);
        return;
      }
      case 'sort': {
        const indices = request.names.map((_, i) => i);
        const less = (a, b) => call('zorvane_natural_less', [request.names[a], request.names[b]]) === 1;
        indices.sort((a, b) => (less(a, b) ? -1 : less(b, a) ? 1 : 0));
        postMessage({ type: 'sorted', seq, order: indices });
        return;
      }
      default:
        postMessage({ type: 'failed', seq, message: `unknown request ${request.type}` });
    }
  } catch (e) {
    postMessage({ type: 'failed', seq, id: request.id, message: String(e && e.message ? e.message : e) });
  }
}
