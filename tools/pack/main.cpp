// zentivo-pack: makes an installer for one edition by appending its
// configuration block, reads such blocks back, shows an edition's download
// plan, checks an update server against it and makes and signs the release
// manifest (see Usage in cli.cpp).
#include "pack/cli.h"
#include "pack/commands.h"
#include "platform/args.h"
#include "platform/dll_search.h"

int main(int argc, char** argv) {
  using namespace zentivo::pack;
  // It runs from wherever it was downloaded to, as the installer does.
  zentivo::platform::RestrictDllSearch();
  const auto all = zentivo::platform::Utf8Arguments(argc, argv);
  if (all.size() < 2)
    return Usage();
  const std::string command = all[1];
  const Args rest(all.begin() + 2, all.end());
  if (command == "pack")
    return RunPack(rest);
  if (command == "dump")
    return RunDump(rest);
  if (command == "encode")
    return RunEncode(rest);
  if (command == "decode")
    return RunDecode(rest);
  if (command == "plan")
    return RunPlan(rest);
  if (command == "check")
    return RunCheck(rest);
  if (command == "keygen")
    return RunKeygen(rest);
  if (command == "sign")
    return RunSign(rest);
  return Usage();
}
