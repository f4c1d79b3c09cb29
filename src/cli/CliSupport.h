// Small pieces shared by the command-line tool's commands.
#pragma once

#include <cstdint>
#include <span>
#include <string>

class CRadioComm;
struct CCliOptions;

// With --trace, every frame the link sends and receives is printed in hexadecimal on
// standard error ("> 52 00 00 08", "< 52 00 00 08 ...").
void AttachTrace(CRadioComm& comm, const CCliOptions& options);

// "52 00 00 08": bytes as upper-case hexadecimal pairs separated by blanks.
std::string HexBytes(std::span<const std::uint8_t> bytes);
