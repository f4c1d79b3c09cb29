#include "cli/Commands.h"

std::span<const CCliCommand> TransferCommands() {
    return {};
}
