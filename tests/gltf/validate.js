// Runs the Khronos glTF-Validator on each file named, with the resources a
// .gltf names read from beside it; prints each file's counts and any message,
// and exits 1 unless every file has no error and no warning.
//   node validate.js NODE_MODULES_DIR FILE...
const fs = require('fs');
const path = require('path');
const validator = require(path.join(process.argv[2], 'gltf-validator'));

async function validate(file) {
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: path.basename(file),
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)), (error, data) =>
          error ? reject(error.toString()) : resolve(new Uint8Array(data)));
      }),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ${issues.numInfos} infos, ` +
              `${issues.numHints} hints`);
  for (const message of issues.messages) {
    if (message.severity <= 1) console.log(`  ${message.code}: ${message.message} (${message.pointer || ''})`);
  }
  return issues.numErrors === 0 && issues.numWarnings === 0;
}

(async () => {
  let clean = true;
  for (const file of process.argv.slice(3)) clean = (await validate(file)) && clean;
  process.exit(clean ? 0 : 1);
})();
