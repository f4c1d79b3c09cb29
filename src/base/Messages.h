// SPDX-License-Identifier: GPL-3.0-or-later
// Every text the program shows to the user in a message box, defined once and shared by the
// desktop programs and the command-line tool. The texts are the radio software's own and are
// kept exactly as they stand, spelling included.
#pragma once

#include <string_view>

namespace msg {

// Radio link
inline constexpr std::string_view kConnectionError =
    "Connection error. Please check all connections!";
inline constexpr std::string_view kVersionTooNew = "Please use greater version PC software!";
inline constexpr std::string_view kVersionTooOld =
    "Please update your radio software to greater version!";
// Printed after the connection error for a port that exists but may not be opened. The
// arguments are the device and the group whose members may use it.
inline constexpr const char* kPortGroupHintFmt =
    "No permission to open %s. The udev rule 60-wr7310.rules that comes with this software "
    "opens USB programming cables to the logged-in user: install it and plug the cable in "
    "again. Otherwise members of the group \"%s\" may use it: run "
    "'sudo usermod -aG %s $USER', then log out and in again.";
inline constexpr const char* kPortGroupPendingFmt =
    "No permission to open %s. You are a member of the group \"%s\" that may use it, but "
    "this login session does not have it yet: log out and in again.";
inline constexpr const char* kPortNoAccessFmt =
    "No permission to open %s. The udev rule 60-wr7310.rules that comes with this software "
    "opens USB programming cables to the logged-in user; otherwise ask the administrator for "
    "read and write access to it.";
// Printed after the connection error for a device named by the user (the device, then for a
// busy device the programs that hold it).
inline constexpr const char* kPortMissingFmt = "%s: No such device.";
inline constexpr const char* kPortNotSerialFmt = "%s: Not a serial port.";
inline constexpr const char* kPortBusyFmt = "%s: Busy: another program holds it%s.";
inline constexpr const char* kPortNoAnswerFmt = "%s: The port opened, but no radio answered.";
inline constexpr const char* kPortOpenErrorFmt = "%s: %s.";

// Whole-image transfer
inline constexpr std::string_view kRangeMismatch = "Frequency range isn't match.";
inline constexpr std::string_view kReadDone = "Read successfully!";
inline constexpr std::string_view kWriteDone = "Write successfully!";
inline constexpr const char* kReadErrorFmt = "Read error in address %X";   // low 16 bits
inline constexpr const char* kWriteErrorFmt = "Write error in address %X"; // low 16 bits
inline constexpr const char* kReadingFmt = "Reading data. Please waiting ...    %d%%";
inline constexpr const char* kWritingFmt = "Writing data. Please waiting ...    %d%%";
// A transfer stopped by Ctrl-C or the end of the session (the address of the first block not
// transferred)
inline constexpr const char* kReadStoppedFmt =
    "Read interrupted at address %X: nothing was saved; the radio is unchanged.";
inline constexpr const char* kWriteStoppedFmt = "Write interrupted at address %X: the radio holds "
                                                "a partly written configuration; write the file "
                                                "again.";
inline constexpr const char* kVerifyingFmt = "Verifying data. Please waiting ...    %d%%";
inline constexpr const char* kVerifyErrorFmt =
    "Verify error in address %X: the radio holds another value than was written.";
inline constexpr const char* kVerifyStoppedFmt =
    "Verify interrupted at address %X: the whole file was written, but not all of it was "
    "read back.";
inline constexpr const char* kVerifyReadErrorFmt =
    "Verify read error in address %X: the whole file was written, but the check could not "
    "read it back from there on.";
inline constexpr std::string_view kWriteStoppedUnchanged =
    "Write interrupted before the first block: the radio is unchanged.";
inline constexpr const char* kEmbeddedWriteStoppedFmt =
    "Write interrupted at address %X: the radio holds part of the new embedded information; "
    "write it again.";
inline constexpr std::string_view kReadPrompt = "Click [OK] to read data from radio.";
inline constexpr std::string_view kWritePrompt = "Click [OK] to write data to radio.";
inline constexpr std::string_view kReadCaption = "Read from Radio";
inline constexpr std::string_view kWriteCaption = "Write to Radio";

// Service transfers
inline constexpr std::string_view kEmbeddedReadError = "Error when reading Embedded Information.";
inline constexpr std::string_view kEmbeddedWriteError = "Error when writing Embedded Information.";
inline constexpr std::string_view kTuneReadError = "Error when reading Tune Information.";
inline constexpr std::string_view kTuneSwitchError = "Error when writing Tune Switch.";
inline constexpr std::string_view kTuneFreqError = "Error when writing tune frequency.";
inline constexpr std::string_view kEmbeddedReadTitle = "Read embedded information ...";
inline constexpr std::string_view kEmbeddedWriteTitle = "Write embedded information ...";
inline constexpr std::string_view kProgressPrompt = "Please waiting a minute ...";
inline constexpr std::string_view kCompleteReading = "Complete Reading.";
inline constexpr std::string_view kCompleteWriting = "Complete Writing.";
inline constexpr std::string_view kReadShortCaption = "Read";
inline constexpr std::string_view kWriteShortCaption = "Write";

// Tune frequency range rules
inline constexpr std::string_view kTuneBelowRange =
    "Frequency is out of extend minimum frequency value,\nthe value is mandatorily changed to "
    "the normal minimum frequency.";
inline constexpr std::string_view kTuneAboveRange =
    "Frequency is out of extend maximum frequency value,\nthe value is mandatorily changed to "
    "the normal maximum frequency.";

// Service screens
// printf of the image's last address
inline constexpr const char* kAddressRangeFmt = "Address is out of range: 0000 ~ %04X";
inline constexpr std::string_view kNoHelpPage =
    "No help is available: the help page was not found.";
// printf of the help page's path
inline constexpr const char* kNoHelpBrowserFmt =
    "No web browser was found to show the help. The help page is:\n%s";

// Radio files: what failed, then the rest of the sentence (printf formats: the figures or the
// system's reason). FileMessage puts the file's name in.
inline constexpr std::string_view kCannotOpen = "Cannot open";
inline constexpr std::string_view kCannotSave = "Cannot save";
inline constexpr const char* kFileTooShortFmt =
    "it holds %zu bytes, but a radio file holds %zu bytes. Nothing was changed.";
// The model the file was made for, then this program's model.
inline constexpr const char* kFileOtherModelFmt =
    "it is a radio file of the %s, not of the %s. Nothing was changed.";
inline constexpr const char* kFileReadErrorFmt = "%s. Nothing was changed.";
inline constexpr const char* kFileSaveErrorFmt = "%s. Any earlier file of that name is unchanged.";

// Printing (printf format: the printer's name or the output file)
inline constexpr const char* kPrintFailedFmt = "Cannot print to \"%s\". Nothing was printed.";
inline constexpr std::string_view kNoPrinter =
    "No printer is installed; choose Print to PDF or install a printer";
// printf of the PDF file's path, then the reason
inline constexpr const char* kPrintPdfErrorFmt =
    "Cannot write the PDF file \"%s\": %s. Any earlier file of that name is unchanged.";

} // namespace msg
