// The listing commands: folderlist (the drives, or the sub-folders of a folder) and filelist
// (the recordings of a folder). Each answers with a list transfer: a start packet, one packet
// per record (the file catalogue's records as they are), an end packet.
//
// Syntax: command, a number (the parent, copied into every record), then the path (the rest of
// the line). Paths resolve inside the drive roots only.

#include "comlib/console/command_line.hpp"
#include "comlib/files/file_manage.hpp"
#include "comlib/files/folder_info.hpp"
#include "comlib/session/tamrel_com_mfc.hpp"
#include "platform/sys/time.hpp"
#include "platform/text/format.hpp"
#include "platform/text/scan.hpp"

namespace {

constexpr int kDriveListParent = -65'536;        // 0xFFFF0000: list the drives
constexpr std::uint32_t kFirstListedDrive = 3;  // D: and up
constexpr unsigned kListEndPauseMs = 10;

struct ListingArguments {
    int parent = 0;
    std::u16string path;
};

// The parent is the word after the command, the path everything after that word and one blank.
ListingArguments listing_arguments(std::u16string_view line, std::size_t word_end) {
    ListingArguments arguments;
    const std::u16string rest = file_argument(line, word_end);
    const CommandWord parent = split_command_word(rest);
    int value = 0;
    if (platform::scan(parent.word, u"%d", &value) == 1) arguments.parent = value;
    arguments.path = file_argument(rest, parent.end);
    return arguments;
}

}  // namespace

void CTamrelComMFC::cmd_folderlist(const CommandContext& context) {
    const ListingArguments arguments = listing_arguments(context.line, context.word_end);
    if (arguments.path.empty()) {
        send_status(u"Usage(read) : folderlist Parent");
        return;
    }
    CTmFileManage& catalogue = tm_file_manage();
    const std::uint32_t host = host_address_.load();
    const auto tag = static_cast<std::uint32_t>(arguments.parent);
    if (arguments.parent == kDriveListParent) {
        catalogue.refresh_drive_list();
        SendCmdData(host, TM_CMD_FOLDERLIST, TM_RW_LIST_BEGIN, 0, nullptr);
        for (const std::uint32_t drive : catalogue.drive_list()) {
            if (drive < kFirstListedDrive) continue;
            _TmFolderInfo_t record{};
            record.Tag = tag;
            (void)set_folder_info_name(record.FolderName, platform::format(u"%c:\\", static_cast<char16_t>(u'A' + drive)));
            SendCmdData(host, TM_CMD_FOLDERLIST, TM_RW_LIST_ITEM, sizeof record, &record);
        }
    } else {
        (void)catalogue.list_folders(tag, arguments.path);  // a folder that cannot be searched lists nothing
        SendCmdData(host, TM_CMD_FOLDERLIST, TM_RW_LIST_BEGIN, 0, nullptr);
        for (const _TmFolderInfo_t& record : catalogue.folder_list()) {
            SendCmdData(host, TM_CMD_FOLDERLIST, TM_RW_LIST_ITEM, sizeof record, &record);
        }
    }
    platform::sleep_ms(kListEndPauseMs);
    SendCmdData(host, TM_CMD_FOLDERLIST, TM_RW_LIST_END, 0, nullptr);
    send_status(u"folderlist:Ok");
}

void CTamrelComMFC::cmd_filelist(const CommandContext& context) {
    const ListingArguments arguments = listing_arguments(context.line, context.word_end);
    if (arguments.path.empty()) {
        send_status(u"Usage(read) : filelist Parent");
        return;
    }
    CTmFileManage& catalogue = tm_file_manage();
    const std::uint32_t host = host_address_.load();
    (void)catalogue.list_files(static_cast<std::uint32_t>(arguments.parent), arguments.path);
    SendCmdData(host, TM_CMD_FILELIST, TM_RW_LIST_BEGIN, 0, nullptr);
    for (const _TmFileInfo_t& record : catalogue.file_list()) {
        SendCmdData(host, TM_CMD_FILELIST, TM_RW_LIST_ITEM, sizeof record, &record);
    }
    platform::sleep_ms(kListEndPauseMs);
    SendCmdData(host, TM_CMD_FILELIST, TM_RW_LIST_END, 0, nullptr);
    send_status(u"filelist:Ok");
}
