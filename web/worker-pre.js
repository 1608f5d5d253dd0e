// Before the core's runtime: hand over to web/worker.js once it is ready.
Module['onRuntimeInitialized'] = function() {
  zorvaneWorkerReady();
};
