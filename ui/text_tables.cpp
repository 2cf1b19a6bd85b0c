#include "ui/text_tables.h"

#include <iterator>

namespace korvane {
namespace {

const TextRow kMain[] = {
    {"Menu.File.Caption", "File(&F)", "ファイル(&F)"},
    {"Menu.FileOpen.Caption", "FileOpen(&O)", "開く(&O)"},
    {"Menu.Close.Caption", "Close(&X)", "終了(&X)"},
    {"Menu.Setup.Caption", "Setup(&S)", "設定(&S)"},
    {"Menu.Continue.Caption", "Continue(&T)", "連続再生(&T)"},
    {"Menu.Time.Caption", "Time(&D)", "日時表示(&D)"},
    {"Menu.RouteContinue.Caption", "RouteContinue(&H)", "走行履歴表示(&H)"},
    {"Menu.CleanApp.Caption", "CleanApp(&C)", "クリーンアップ(&C)"},
    {"Menu.Backup.Caption", "Backup(&B)", "バックアップ(&B)"},
    {"Menu.Help.Caption", "Help(&H)", "ヘルプ&(&H)"},
    {"Menu.About.Caption", "About&(&A)", "バージョン情報(&A)"},
    {"Main.ProcessTitle.Caption", "Information", "情報"},
    {"Main.WordNormal.Caption", "Normal", "常 時 録 画"},
    {"Main.WordEvent.Caption", "Event", "イベント録画"},
    {"Main.Label.Backup.Caption", "Backup", "ファイル保存中"},
    {"Main.Btn.Stop.Caption", "Stop", "停 止"},
};

const TextRow kMessages[kInfoCount] = {
    {"Main.Info.CheckDelete.Caption", "Do you want to delete all the data in the selected folder?",
     "選択したフォルダ内のデータを全て削除しますがよろしいですか？"},
    {"Main.Info.OverMaxFile.Caption", "The maximum number of recordings that can be read was exceeded.",
     "動画最大読み出し件数を超えてます。"},
    {"Main.Info.Over240MaxFile.Caption", "Recordings beyond 240 cannot be shown.",
     "240件を超えたデータは表示できません"},
    {"Main.Info.FileDeleting.Caption", "Deleting files", "ファイル 削除中"},
    {"Main.Info.NoExternalDevice.Caption", "The external device is not present.", "外部デバイスが存在しません。"},
    {"Main.Info.CleanupNotCompleted.Caption", "Cleanup was not completed.", "クリーンアップが完了しなかった。"},
    {"Main.Info.CleanupCompleted.Caption", "Cleanup is completed.", "クリーンアップが完了しました。"},
    {"Main.Info.CapacityInsufficient.Caption", "Not enough free space: the data cannot be saved.",
     "メディア容量が不足しています，保存できません。"},
    {"Main.Info.FolderAlreadyExists.Caption", "A folder of the same name already exists.",
     "選択したフォルダ内には同じ名前のフォルダが既にあります。"},
    {"Main.Info.CopyReplace.Caption", "Copy and replace the files?", "コピーして置き換えてもよろしいですか？"},
    {"Main.Info.SubdirectoryNotCreated.Caption", "The subfolder cannot be created!", "サブディレクトリを作成できません!"},
    {"Main.Info.BackupNotCompleted.Caption", "Backup was not completed.", "バックアップが完了しなかった。"},
    {"Main.Info.BackupCompleted.Caption", "Backup is completed.", "バックアップが完了しました。"},
    {"Main.Info.CopyFinished.Caption", "Copying has finished.", "コピーが終了しました."},
    {"Main.Info.SavingFile.Caption", "File Saving!", "ファイル保存中"},
};

const TextRow kDialogs[] = {
    {"Dlg.About.Caption", "About", "バージョン情報"},
    {"Dlg.Backup.Caption", "Backup", "バックアップ"},
    {"Dlg.Backup.Information.Caption", "Save all the data in the folder", "フォルダ内のデータを全て保存します"},
    {"Dlg.Backup.SourceFolder.Caption", "Source", "ソースフォルダ:"},
    {"Dlg.Backup.DestFolder.Caption", "Dest", "保存先:"},
    {"Dlg.Backup.OK.Caption", "OK", " 実   行"},
    {"Dlg.Backup,Cancel.Caption", "Cancel", "キャンセル"},
    {"Dlg.Check.Caption", "Confirm", "確認"},
    {"Dlg.Check.OK.Caption", "OK", "OK"},
    {"Dlg.Check.Cancel.Caption", "Cancel", "キャンセル"},
    {"Dlg.Check.Information.Caption", "Do you want to delete all the data in the selected folder?",
     "選択したフォルダ内のデータを全て削除しますがよろしいですか？"},
    {"Dlg.Clean.Caption", "Delete", "クリーンアップ"},
    {"Dlg.Clean.Information.Caption", "All data in the folder will be deleted", "フォルダ内のデータが全て削除されます"},
    {"Dlg.Clean.Folder.Caption", "Folder name:", "フォルダ名:"},
    {"Dlg.Clean.OK.Caption", "OK", "実行"},
    {"Dlg.Clean.Cancel.Caption", "Cancel", "キャンセル"},
    {"Dlg.Close.Caption", "Close", "確認"},
    {"Dlg.Close.OK.Caption", "OK", "OK"},
    {"Dlg.Close.Cancel.Caption", "Cancel", "キャンセル"},
    {"Dlg.Close.Information.Caption", "Quit Korvane?", "Korvane を終了しますか？"},
    {"Dlg.Information.Caption", "Information", "情報"},
    {"Dlg.Information.OK.Caption", "OK", "OK"},
    {"Dlg.Information.Information.Caption", "Cleanup is completed.", "クリーンアップが完了しました。"},
    {"Dlg.Process.Caption", "Information", "情報"},
    {"Dlg.Process.Stop.Caption", "Stop", "キャンセル"},
    {"Dlg.Process.Function.Caption", "File Saving!", "ファイル保存中"},
    {"Dlg.Update.Caption", "Notice", "お知らせ"},
    {"Dlg.Update.OK.Caption", "OK", "OK"},
    {"Dlg.Update.Information.Caption",
     "There is the latest version of viewer software. \n\n Check on the download site.",
     "最新バーションのビューアーソフトがあります。\n \nダウンロードサイトで確認してください。"},
    {nullptr, nullptr, "確認"},             // TfrmCheck1 title
    {nullptr, nullptr, "情報"},             // TfrmInformation1 title
    {nullptr, nullptr, "OK"},               // TfrmInformation1 btnOk
    {nullptr, "Korvane", "Korvane"},        // TfrmAbout lbName
    {nullptr, "Version 1.50", "Version 1.50"},   // TfrmAbout lbVersion
};

const TextRow kViewer[] = {
    {keys::kPlaybackFailed, "The recording could not be played:", "録画を再生できませんでした:"},
    {keys::kPathTooLong,
     "The path of this recording is too long to play it. Move the folder to a shorter path.",
     "この録画のパスは長すぎるため再生できません。フォルダを短いパスへ移してください。"},
    {keys::kRepairTitle, "Repair", "修復"},
    {keys::kRepairQuestion, "This recording was cut off while it was written. Repair a copy of it?", "この録画は記録中に途切れています。修復したコピーを作成しますか？"},
    {keys::kRepairProgress, "Repairing the recording", "録画を修復中"},
    {keys::kRepairDone, "The repaired copy was saved. Play it?", "修復したコピーを保存しました。再生しますか？"},
    {keys::kRepairNoReference, "No complete recording of the same camera in this folder to repair it after.", "同じカメラの正常な録画がこのフォルダにないため、修復できません。"},
    {keys::kRepairNothingFound, "Nothing could be recovered from this recording.", "この録画から復元できるデータがありません。"},
    {keys::kRepairFailed, "The recording could not be repaired:", "録画を修復できませんでした:"},
    {keys::kSnapshotMenu, "Snapshot(&P)", "スナップショット(&P)"},
    {keys::kSnapshotSaved, "Snapshot saved:", "スナップショットを保存しました:"},
    {keys::kSnapshotFailed, "The snapshot could not be saved:", "スナップショットを保存できませんでした:"},
    {keys::kThumbnailsUnavailable, "Thumbnails cannot be made: the working folder takes no files (disk full or not writable).", "サムネイルを作成できません: 作業フォルダに書き込めません（ディスクがいっぱいか書き込み禁止です）。"},
    {keys::kPlaybackLost, "Playback stopped unexpectedly:", "再生が予期せず停止しました:"},
    {keys::kNoRecordingsHint, "No recordings in this folder. Open the folder of a card with File > Open (Ctrl+O).", "このフォルダに録画がありません。ファイル > 開く (Ctrl+O) でカードのフォルダを開いてください。"},
    {keys::kSpeedMphMenu, "Speed in mph", "速度をマイル毎時で表示"},
    {keys::kEventG, "G-force", "衝撃"},
    {keys::kEventBraking, "Hard braking", "急ブレーキ"},
    {keys::kEventTrigger, "Event trigger", "イベント検知"},
    {keys::kMarkInMenu, "Mark In", "開始点を設定"},
    {keys::kMarkOutMenu, "Mark Out", "終了点を設定"},
    {keys::kExportMenu, "Export…", "書き出し…"},
    {keys::kExportTitle, "Export", "書き出し"},
    {keys::kExportRange, "Range:", "範囲:"},
    {keys::kExportRecordings, "Recordings:", "録画:"},
    {keys::kExportDestination, "Destination folder:", "保存先フォルダ:"},
    {keys::kExportChoose, "Choose…", "選択…"},
    {keys::kExportOverlay, "Burn in the clock, speed and position", "時刻・速度・位置を映像に焼き込む"},
    {keys::kExportNeighbours, "Add the recordings just before and after it", "直前と直後の録画も含める"},
    {keys::kExportStart, "Export", "書き出す"},
    {keys::kExportCancel, "Cancel", "キャンセル"},
    {keys::kExportNoDestination, "Choose a destination folder.", "保存先フォルダを選んでください。"},
    {keys::kExportOnCard, "The destination lies on the card. Choose a folder outside it.", "保存先がカード上にあります。カード以外のフォルダを選んでください。"},
    {keys::kExportNothingShown, "Open a recording to export it.", "書き出す録画を開いてください。"},
    {keys::kExportBusy, "Another job is running. Try again when it has ended.", "他の処理を実行中です。終了してからもう一度お試しください。"},
    {keys::kExportProgress, "Exporting", "書き出し中"},
    {keys::kExportDone, "The export was saved in:", "書き出しを保存しました:"},
    {keys::kExportStopped, "The export was stopped; nothing was kept.", "書き出しを中止しました。ファイルは残っていません。"},
    {keys::kExportFailed, "The export could not be completed:", "書き出しを完了できませんでした:"},
    {keys::kMarkInSet, "In set at", "開始点:"},
    {keys::kMarkOutSet, "Out set at", "終了点:"},
    {keys::kOtherChannelsMenu, "Show other channels", "他のチャンネルを表示"},
    {keys::kChannelLost, "A channel stopped unexpectedly; the others play on:", "チャンネルの再生が予期せず停止しました（他のチャンネルは再生を続けます）:"},
};

} // namespace

std::span<const TextRow> MainWindowRows() { return kMain; }
std::span<const TextRow> MessageRows() { return kMessages; }
std::span<const TextRow> DialogRows() { return kDialogs; }
std::span<const TextRow> ViewerRows() { return kViewer; }

const TextRow* FindTextRow(const QString& key)
{
    for (auto table : {MainWindowRows(), MessageRows(), DialogRows(), ViewerRows()})
        for (const TextRow& row : table)
            if (row.key && key == QLatin1String(row.key))
                return &row;
    return nullptr;
}

} // namespace korvane
