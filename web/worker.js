// The page's worker, after the core (see worker-head.js): keeps the input files
// in the core's in-memory file system and answers the page's requests one at
// a time, in the order they come. A long build runs here, so the page stays
// responsive.
//
// Requests (from app.js), each answered by one message of the same seq:
//   {type: 'add', seq, id, file}       the file is copied in and inspected
//   {type: 'remove', seq, id}          its copy is deleted
//   {type: 'run', seq, write, plan, expectedBytes}
//                                      the plan measured, or built (write); a
//                                      build is told the size last measured
//   {type: 'sort', seq, names}         the natural order of the names
// A build also sends {type: 'progress', seq, index, count} as each entry starts.

const inputFolder = '/in';
const outputPath = '/out/animation.gif';
const pending = [];
let coreReady = false;

// While a build writes, the output file's storage grows at once to the size
// the page measured for the same plan, instead of step by step (each step a
// copy of all written so far). A wrong guess costs only that saving.
let reserve = 0;
const expandFileStorage = MEMFS.expandFileStorage;
MEMFS.expandFileStorage = function (node, capacity) {
  if (reserve > capacity) {
    capacity = reserve;
    reserve = 0;
  }
  return expandFileStorage(node, capacity);
};

// The output's bytes, without a copy when its storage is exactly its size;
// the file is removed.
function takeOutput() {
  const node = FS.lookupPath(outputPath).node;
  let bytes = node.contents || new Uint8Array(0);
  if (bytes.byteOffset !== 0 || bytes.buffer.byteLength !== node.usedBytes) bytes = bytes.slice(0, node.usedBytes);
  removeFile(outputPath);
  return bytes;
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
  let text = `${plan.plays} ${order} ${plan.center ? 1 : 0} ${outputPath}\n`;
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
      case 'run': {
        const write = Boolean(request.write);
        Module.onEntryStarted = write ? (index, count) => postMessage({ type: 'progress', seq, index, count }) : null;
        reserve = write ? Number(request.expectedBytes) || 0 : 0;
        const started = performance.now();
        const result = callForJson('zorvane_run', [planText(request.plan)], [write ? 1 : 0]);
        Module.onEntryStarted = null;
        reserve = 0;
        let bytes = null;
        if (write) {
          if (result.ok) bytes = takeOutput();
          removeFile(outputPath);
          result.milliseconds = performance.now() - started;
          // The page offers only a file that is whole: the size the core
          // announced, read back in full.
          if (bytes && bytes.length !== result.bytes) {
            result.ok = false;
            result.message = null;
            bytes = null;
          }
        }
        postMessage({ type: 'ran', seq, write, result, bytes }, bytes ? [bytes.buffer] : []);
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
