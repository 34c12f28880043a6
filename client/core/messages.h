// Every text the client shows to the user, in one place. Message boxes use the caption
// kCaptionConfirm unless a procedure says otherwise.
#pragma once

#include <string_view>

namespace tb::msg {

inline constexpr std::string_view kCaptionConfirm = "確認";

inline constexpr std::string_view kServerUnknown = "サーバーを認識できません。";
inline constexpr std::string_view kDatabaseUnreachable = "データベースが接続できません。";
inline constexpr std::string_view kTableAccessFault = "テーブルのアクセス異常";
inline constexpr std::string_view kEnterValidData = "正しいデータを入力して下さい";
inline constexpr std::string_view kEnterDataInRange = "範囲内のデータを入力して下さい";
inline constexpr std::string_view kClickTitleCell = "ジャンプするページタイトルのセルをクリックして下さい";
inline constexpr std::string_view kPrintThisPage = "このページを印刷しますか？";
inline constexpr std::string_view kNoPrinter = "プリンタが登録されていません。";
inline constexpr std::string_view kFormFileMissing = "フォーマットファイルが見つかりません。";
inline constexpr std::string_view kPrinterErrorPrefix = "プリンタエラー　エラーNO:";  // full-width space
inline constexpr std::string_view kBadPrintRange = "印刷する範囲が正しくありません";
inline constexpr std::string_view kErrorNumberPrefix = "ｴﾗｰ番号 ";
inline constexpr std::string_view kErrorOccurred = " でｴﾗｰが発生しました。";

inline constexpr std::string_view kStatusPrinting = "印刷中・・・";
inline constexpr std::string_view kStatusLoadingTitle = "ページタイトル情報読込中・・・";
inline constexpr std::string_view kStatusLoadingItems = "帳票ページ単位情報読込中・・・";

}  // namespace tb::msg
