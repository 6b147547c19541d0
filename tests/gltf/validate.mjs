// Runs the Khronos glTF Validator on each file given (.glb, or .gltf with its
// resources beside it) and prints its messages. Exit status 1 when any file
// has an error or cannot be read.
//   node tests/gltf/validate.mjs FILE...
import { readFile } from 'node:fs/promises';
import { dirname, join } from 'node:path';
import validator from 'gltf-validator';

let failed = false;
for (const file of process.argv.slice(2)) {
  try {
    const bytes = new Uint8Array(await readFile(file));
    const report = await validator.validateBytes(bytes, {
      uri: file,
      externalResourceFunction: (uri) => readFile(join(dirname(file), decodeURIComponent(uri))).then((b) => new Uint8Array(b)),
    });
    const { numErrors, numWarnings, numInfos, messages } = report.issues;
    console.log(`${file}: ${numErrors} errors, ${numWarnings} warnings, ${numInfos} infos`);
    for (const m of messages) {
      if (m.severity <= 1) {
        console.log(`  ${m.severity === 0 ? 'error' : 'warning'} ${m.code} ${m.pointer ?? ''}: ${m.message}`);
      }
    }
    failed ||= numErrors > 0;
  } catch (error) {
    console.log(`${file}: cannot be validated: ${error}`);
    failed = true;
  }
}
process.exit(failed ? 1 : 0);
