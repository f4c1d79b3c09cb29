#include "cli/Commands.h"

std::span<const CCliCommand> LinkCommands() {
    return {};
}
