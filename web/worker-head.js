// The page's worker: the core in WebAssembly with web/worker.js after it, all
// inside this one function. The page loads this file as a plain script (which
// only defines the function) and starts a Worker from the function's source,
// so that the page works when opened from a file as well as from a server.
function zorvaneWorker() {
