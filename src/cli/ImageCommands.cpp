#include "cli/Commands.h"

std::span<const CCliCommand> ImageCommands() {
    return {};
}
