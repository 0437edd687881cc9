#include "settings/network.h"

namespace trova::network {

namespace {
const NumberCombo kMtu{L"Combo_wlszzdcsdy",
                       {{L"1005(终端服务器)", 1005},
                        {L"1400", 1400},
                        {L"1500(以太网) (默认)", 1500},
                        {L"2000", 2000},
                        {L"552(最低)", 552},
                        {L"576(拨号推荐)", 576}},
                       2};
const NumberCombo kWindowSize{L"Combo_wlszjstcp",
                              {{L"0", 0},
                               {L"536", 536},
                               {L"1072", 1072},
                               {L"1608", 1608},
                               {L"2144 (14.4K)", 2144},
                               {L"2680", 2680},
                               {L"3216 (28.8K)", 3216},
                               {L"3752 (33.6K)", 3752},
                               {L"4288", 4288},
                               {L"4824", 4824},
                               {L"5360", 5360},
                               {L"5840", 5840},
                               {L"5896", 5896},
                               {L"6432", 6432},
                               {L"8192 (默认)", 8192},
                               {L"8760", 8760},
                               {L"11680", 11680},
                               {L"35040 (56K/ISDN)", 35040},
                               {L"372300 (ADSL/Cable Modem)", 372300},
                               {L"373760", 373760}},
                              17};
const NumberCombo kTtl{L"Combo_wlsztcpipfzsm",
                       {{L"0", 0}, {L"32(默认)", 32}, {L"64(推荐)", 64}, {L"128", 128}, {L"255", 255}, {L"256", 256}},
                       2};
const NumberCombo kDupAcks{L"Combo_yhtcpmaxdupacks", {{L"1", 1}, {L"2", 2}, {L"3", 3}}, 0};
const NumberCombo kKeepAlive{L"Combo_yhsessionkeepalive",
                             {{L"10 (推荐)", 10}, {L"20", 20}, {L"30", 30}, {L"40", 40}, {L"50", 50}, {L"60 (默认)", 60}},
                             0};

constexpr Hive kMachine = Hive::LocalMachine;
constexpr const wchar_t* kTcpip = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const wchar_t* kServer = L"SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters";
}  // namespace

const std::vector<Switch>& switches() {
  static const std::vector<Switch> table = {
      {L"Check_wlszsyzdcsdy", L"使用最大传输单元", &kMtu, kMachine,
       L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces", {{L"MTU", {}}}},
      {L"Check_wlszjstcpipwindowssize", L"加速TCPIPwindowssize", &kWindowSize, kMachine, kTcpip,
       {{L"TCPWindowSize", {}}, {L"GlobalMaxTcpWindowSize", {}}}},
      {L"Check_wlsztcpipfzsm", L"tcpip分组寿命", &kTtl, kMachine, kTcpip, {{L"DefaultTTL", {}}}},
      {L"Check_wlszyhtcpmaxdupacks", L"优化TcpMaxDupAcks", &kDupAcks, kMachine,
       L"SYSTEM\\CurrentControlSet\\Services\\VXD\\MSTCP", {{L"MaxDupAcks", {}}}},
      {L"Check_wlszyhsessionkeepalive", L"优化SessionKeepAlive", &kKeepAlive, kMachine,
       L"SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters", {{L"SessionKeepAlive", {}}}, true},
      {L"Check_wlszxznmyhlj", L"限制匿名用户连接", nullptr, kMachine, L"SYSTEM\\CurrentControlSet\\Control\\Lsa",
       {{L"restrictanonymous", 2}}},
      {L"Check_wlszjzzdgxserver", L"禁止自动共享Server", nullptr, kMachine, kServer, {{L"AutoShareServer", 0}}},
      {L"Check_wlszjzzdgxworks", L"禁止自动共享Works", nullptr, kMachine, kServer, {{L"AutoShareWks", 0}}},
      // Read back from where it is written, the user's own settings.
      {L"Check_wlsziesyddljxz", L"IE使用多点连接下载", nullptr, Hive::CurrentUser,
       L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
       {{L"MaxConnectionsPerServer", 5}, {L"MaxConnectionsPer1_0Server", 6}}},
  };
  return table;
}

const Switch* findSwitch(const std::wstring& checkBox) {
  for (const auto& s : switches())
    if (checkBox == s.checkBox) return &s;
  return nullptr;
}

ComboChoice choiceFor(const NumberCombo& combo, std::uint32_t stored) {
  for (std::size_t i = 0; i < combo.entries.size(); ++i)
    if (combo.entries[i].number == stored) return {std::nullopt, static_cast<int>(i)};
  return {stored, static_cast<int>(combo.entries.size())};
}

std::vector<std::wstring> comboTexts(const NumberCombo& combo, std::optional<std::uint32_t> extra) {
  std::vector<std::wstring> texts;
  for (const auto& e : combo.entries) texts.emplace_back(e.text);
  if (extra) texts.push_back(std::to_wstring(*extra) + L" (当前)");
  return texts;
}

std::optional<std::uint32_t> numberAt(const NumberCombo& combo, std::optional<std::uint32_t> extra, int index) {
  const int count = static_cast<int>(combo.entries.size());
  if (index >= 0 && index < count) return combo.entries[static_cast<std::size_t>(index)].number;
  if (index == count && extra) return extra;
  return std::nullopt;
}

}  // namespace trova::network
