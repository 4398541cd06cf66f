// The commands of zentivo-pack, each given the arguments after its name and
// returning the exit code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zentivo::pack {

using Args = std::vector<std::string>;

int RunPack(const Args& args);  // also --matrix
int RunDump(const Args& args);
int RunEncode(const Args& args);
int RunDecode(const Args& args);
int RunPlan(const Args& args);
int RunCheck(const Args& args);  // also --public-key
int RunKeygen(const Args& args);
int RunSign(const Args& args);

}  // namespace zentivo::pack
