// keygen: a new release key pair. The private half goes into a file only
// its owner can read, and never over an existing file: overwriting the key
// of a release that is out would leave its installers trusting a key nobody
// holds any more. The public half is printed in the build setting's form.
#include "download/release_key.h"
#include "pack/cli.h"
#include "pack/commands.h"
#include "platform/crypto.h"
#include "platform/fs.h"

namespace zentivo::pack {

int RunKeygen(const Args& args) {
  if (args.size() != 2 || args[0] != "--out")
    return Usage();
  const std::string& out = args[1];
  const auto exists = [&out] { return fs::FileExists(out) || fs::DirectoryExists(out); };
  if (exists())
    return Fail(kExitBadInput, out + " exists already: keygen does not overwrite a key");
  const auto key = crypto::GenerateP256();
  if (!key)
    return Fail(kExitBadInput, "cannot generate a key pair");
  if (!fs::WritePrivateFile(out, download::WriteKeyFile(*key))) {
    if (exists())
      return Fail(kExitBadInput, out + " exists already: keygen does not overwrite a key");
    return Fail(kExitBadInput, "cannot write " + out);
  }
  const std::string encoded = download::EncodeReleaseKey(key->public_key);
  Print(encoded);
  Print("build with -DZENTIVO_RELEASE_KEY=" + encoded);
  return 0;
}

}  // namespace zentivo::pack
