#include "pack/cli.h"

#include "platform/console.h"

namespace zentivo::pack {

int Fail(int code, const std::string& message) {
  platform::WriteText(platform::StdStream::kErr, "zentivo-pack: " + message + "\n");
  return code;
}

void Warn(const std::string& message) {
  platform::WriteText(platform::StdStream::kErr, "zentivo-pack: warning: " + message + "\n");
}

void Print(const std::string& line) {
  platform::WriteText(platform::StdStream::kOut, line + "\n");
}

int Usage() {
  platform::WriteText(
      platform::StdStream::kErr,
      "usage:\n"
      "  zentivo-pack pack --installer IN.exe --output OUT.exe [--values FILE] [--set "
      "NAME=VALUE]...\n"
      "  zentivo-pack pack --installer IN.exe --matrix FILE.tsv --out-dir DIR [--name PATTERN]\n"
      "                    [--values FILE] [--set NAME=VALUE]...\n"
      "  zentivo-pack plan [--server ROOT] (--values FILE | --set NAME=VALUE... | INSTALLER.exe)\n"
      "  zentivo-pack check --server ROOT [--public-key KEY]\n"
      "                     (--values FILE | --set NAME=VALUE... | INSTALLER.exe)\n"
      "  zentivo-pack keygen --out KEYFILE\n"
      "  zentivo-pack sign --server DIR --key KEYFILE [--out FILE] [--keep OLD_MANIFEST]\n"
      "                    [--values FILE | --set NAME=VALUE... | INSTALLER.exe | --matrix "
      "FILE.tsv]\n"
      "  zentivo-pack dump EXE\n"
      "  zentivo-pack encode VALUE\n"
      "  zentivo-pack decode [--hex] TEXT\n"
      "ROOT is http://HOST[:PORT] or https://HOST[:PORT] (http:// when no scheme is given),\n"
      "optionally followed by the folder the tree lies in.\n"
      "KEY is the release key as ZENTIVO_RELEASE_KEY holds it, or a file holding it; check\n"
      "uses the build's key without --public-key and checks no manifest when it has none.\n"
      "sign lists every file below DIR (the server's document root), or only the files\n"
      "the editions named ask for, into DIR/zentivo-release.manifest unless --out;\n"
      "--keep also lists what OLD_MANIFEST lists, for the files a release replaces.\n"
      "PATTERN names each installer of a matrix, {FIELD} standing for that row's value;\n"
      "the default is ZentivoSetup-{AppEName}-{AgentVersion}.exe.\n");
  return kExitUsage;
}

}  // namespace zentivo::pack
