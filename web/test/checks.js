// What the page's test programs share: their arguments, and checks that
// report each failure and fail the run at its end.
"use strict";

const fs = require("fs");

// The positional arguments (count of them, the last one a folder made here),
// or the usage and exit status 2.
function testArguments(count, usage, flags = []) {
  const args = process.argv.slice(2).filter((a) => !flags.includes(a));
  if (args.length !== count) {
    console.error("usage: " + usage);
    process.exit(2);
  }
  fs.mkdirSync(args[count - 1], { recursive: true });
  return args;
}

let failures = 0;
function check(ok, what) {
  if (!ok) {
    failures++;
    console.error("FAIL: " + what);
  }
}

// Runs the test body; the summary on success, exit status 1 on any failure.
function run(body, summary) {
  body().then(() => {
    if (failures) {
      console.error(failures + " checks failed");
      process.exit(1);
    }
    const text = summary && summary();
    if (text) console.log(text);
  }).catch((e) => {
    console.error(e.stack || String(e));
    process.exit(1);
  });
}

module.exports = { testArguments, check, run };
