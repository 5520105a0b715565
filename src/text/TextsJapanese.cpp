// The game's own texts.
#include "text/TextTables.h"

const std::vector<STextEntry>& fJapaneseTexts() {
  static const std::vector<STextEntry> table = {
      {ETextId::PressKeyFormat, "Press %s Key"},
      {ETextId::HowToPlayButton, "遊び方"},
      {ETextId::ModeDescriptionPlimo,
       "２色繋げると消えるモードです。\n横２奥行き２高さ７のフィールドです。\n落ちてくるPlimoBallの色数は４色です。"},
      // The mode deals four colours (0 to 3).
      {ETextId::ModeDescriptionYoiko,
       "３色繋げると消えるモードです。\n横２奥行き３高さ８のフィールドです。\n落ちてくるPlimoBallの色数は４色です。"},
      {ETextId::ModeDescriptionWanpaku,
       "４色繋げると消えるモードです。\n横３奥行き３高さ８のフィールドです。\n落ちてくるPlimoBallの色数は５色です。"},
      {ETextId::HighScoreSummaryFormat, "ハイスコア : %s\n最大連鎖数 : %d\nオンライン登録 : %s"},
      {ETextId::Registered, "済み"},
      {ETextId::NotRegistered, "まだ"},
      {ETextId::Connecting, "ランキングサーバに接続中です..."},
      {ETextId::NoReplay, "リプレイファイルが見つかりません"},
      {ETextId::BadReplay, "リプレイファイルを読み込めませんでした"},
      {ETextId::Downloading, "リプレイファイルをダウンロード中です..."},
      {ETextId::SortByScoreFormat, "スコア順でソート中(%sで切り替え)"},
      {ETextId::SortByChainFormat, "最大連鎖数順でソート中(%sで切り替え)"},
      {ETextId::SortByDateFormat, "登録日時順でソート中(%sで切り替え)"},
      {ETextId::RankingRowFormat, "% 3d位 %8s % 7d点(%d連鎖) %s"},
      {ETextId::RankingConnectionFailed, "ランキングサーバとの接続に失敗しました"},
      {ETextId::RankingNoData, "ランキングデータが登録されていません"},
      {ETextId::RankingUploadSuccessFormat, "ランキングデータの送信に成功しました\nあなたの順位は%d位です"},
      {ETextId::RankingUploadRefusedFormat, "ランキングサーバがスコアを受け付けませんでした\n%s"},
      {ETextId::RankingTitleFormat, "オンラインランキング : %s"},
      {ETextId::RankingModePlimo, "ぷりも"},
      {ETextId::RankingModeYoiko, "よいこ"},
      {ETextId::RankingModeWanpaku, "わんぱく"},
      {ETextId::RankingColumnRank, "順位"},
      {ETextId::RankingColumnName, "名前"},
      {ETextId::RankingColumnScore, "スコア"},
      {ETextId::RankingColumnChain, "連鎖"},
      {ETextId::RankingColumnDate, "登録日時"},
      {ETextId::RankingPageFormat, "%d/%dページ"},
      {ETextId::RankingHintFormat, "%s : リプレイ再生 \xC2\xB7 %s : 並べ替え \xC2\xB7 ←/→ : ページ"},
      {ETextId::NameEntryTitle, "名前入力"},
      {ETextId::ConfirmSend, "送信しますか？"},
      {ETextId::Yes, "はい"},
      {ETextId::No, "いいえ"},
      {ETextId::NameEntryCountFormat, "%d/%d文字"},
      {ETextId::NameEntryRule, "半角英数字と記号(空白と?は不可)"},
      {ETextId::OptionSettingsHeading, "【設定】"},
      {ETextId::OptionKeyboardHeading, "【キーボード】"},
      {ETextId::OptionPadHeading, "【ゲームパッド】"},
      {ETextId::OptionLanguageLabel, "言語　　　　　:"},
      {ETextId::OptionMusicLabel, "音楽の音量　　:"},
      {ETextId::OptionEffectsLabel, "効果音の音量　:"},
      {ETextId::OptionDisplayLabel, "画面　　　　　:"},
      {ETextId::OptionWindowSizeLabel, "ウィンドウ倍率:"},
      {ETextId::OptionKeyboardRow, "キーボードのキー設定"},
      {ETextId::OptionPadRow, "ゲームパッドのボタン設定"},
      {ETextId::OptionAllDefaultsRow, "すべて初期設定に戻す"},
      {ETextId::OptionKeyDefaultsRow, "初期設定のキーに戻す"},
      {ETextId::OptionWindowed, "ウィンドウ"},
      {ETextId::OptionFullScreen, "フルスクリーン"},
      {ETextId::OptionLeftLabel, "左移動　　　　:"},
      {ETextId::OptionUpLabel, "上移動　　　　:"},
      {ETextId::OptionRightLabel, "右移動　　　　:"},
      {ETextId::OptionDownLabel, "下移動　　　　:"},
      {ETextId::OptionDropLabel, "落下　　　　　:"},
      {ETextId::OptionHoldLabel, "ホールド　　　:"},
      {ETextId::OptionTurnLeftLabel, "左回転　　　　:"},
      {ETextId::OptionTurnRightLabel, "右回転　　　　:"},
      {ETextId::OptionPressAButton, "(ボタンを押す)"},
      {ETextId::OptionPressAKey, "キーを押す(Escで取り消し)"},
      {ETextId::OptionPadHint, "行を選んでパッドのボタンを押すと割り当てます"},
      {ETextId::OptionGeneralHintFormat, "↑↓:選ぶ ←→:変更 %s:決定 %s:戻る"},
      {ETextId::OptionKeyInUseFormat, "%sはすでに「%s」に使われています"},
      {ETextId::OptionKeyReservedFormat, "%sは割り当てられません"},
      {ETextId::OptionKeysRestored, "キーを初期設定に戻しました"},
      {ETextId::OptionAllRestored, "すべての設定を初期設定に戻しました"},
      {ETextId::OptionBallSymbolsLabel, "ボールの記号　:"},
      {ETextId::OptionOn, "あり"},
      {ETextId::OptionOff, "なし"},
      {ETextId::OptionConfirmAllDefaults, "すべての設定を初期設定に戻しますか？"},
      {ETextId::EndHintFormat, "%s / %s : もう一度　Esc : メニューへ"},
      {ETextId::Pause, "PAUSE"},
      {ETextId::PauseHintFormat, "%s : 再開"},
      {ETextId::PauseLeaveLine, "Esc : メニューへ"},
      {ETextId::HudChain, "RENSA:"},
      {ETextId::HudMaxChain, "MAX RENSA:"},
      {ETextId::PracticeEndHintFormat, "%s / %s / Esc : メニューへ"},
      {ETextId::ConfirmLeaveGame, "このゲームをやめますか？"},
      {ETextId::HelpTitleFormat, "遊び方 (%d/%d)"},
      {ETextId::HelpFooterFormat, "←→ : ページ　%s : 戻る"},
      {ETextId::HelpGoal,
       "【目的】\n"
       "落ちてくるPlimoBallを動かして箱に積みます。\n"
       "同じ色のボールが面でつながると消えます。\n"
       "１個目を消すとLV 1からLV 2に、その後はモードごとの\n"
       "個数を消すたびにレベルが上がり、落下が速くなります。\n"
       "落下中のボールのホールドも１個消したと数えます（０点）。\n"
       "出てくる場所の列がいっぱいになるとゲームオーバー、\n"
       "すべてのボールを置き終えるとステージクリアです。\n"
       "カメラは９０度ずつ回せます。移動は見ている向きが基準です。"},
      {ETextId::HelpKeysFormat, "【キー】　キーボード / ゲームパッド"},
      {ETextId::HelpChains,
       "【連鎖とおじゃま】\n"
       "モードの個数だけ同じ色がつながると消えます。\n"
       "上のボールが落ちてまた消えると「連鎖」になります。\n"
       "１個消すごとに 100 × 連鎖数の２乗 点が入ります。\n"
       "連鎖しない消し方を続けるとおじゃまメーターがたまり、\n"
       "いっぱいになるとおじゃまボールが一段分降ってきます。\n"
       "おじゃまボールは隣で消えたボールと一緒に消えます。"},
      {ETextId::HelpModes,
       "【モード】\n"
       "ぷりも : ２個で消えます。横２奥行き２高さ７、４色、200個。\n"
       "　30個消すごとにレベルが上がります。\n"
       "よいこ : ３個で消えます。横２奥行き３高さ８、４色、300個。\n"
       "　40個消すごとにレベルが上がります。\n"
       "わんぱく : ４個で消えます。横３奥行き３高さ８、５色、300個。\n"
       "　40個消すごとにレベルが上がります。\n"
       "LV 1で始まり、１個目を消すとLV 2、30個か40個でLV 3、\n"
       "60個か80個でLV 4、と上がっていきます。"},
      {ETextId::HelpReplays,
       "【リプレイとランキング】\n"
       "ハイスコアを出したゲームはリプレイとして保存され、\n"
       "「リプレイを見る」でいつでも見られます。\n"
       "「ランキング登録」でハイスコアをオンラインランキングに送り、\n"
       "「ランキングを見る」で順位表を見て、リプレイを\n"
       "ダウンロードして見られます。\n"
       "リプレイ中 : F1 速送り　F2 スロー　Space 一時停止\n"
       "　　　　　　←/→ 1コマ　T 操作を引き継ぐ　Esc 終了\n"
       "ゴーストと競争 : 「リプレイを見る」でC、ランキングでA"},
      {ETextId::ChainPopupFormat, "%d連鎖!"},
      {ETextId::LevelUpFormat, "レベルアップ!  LV %d"},
      {ETextId::GarbageMeterLabel, "おじゃま"},
      {ETextId::GarbageWarning, "次はおじゃまが降る!"},
      {ETextId::TheatreBanner, "REPLAY"},
      {ETextId::PracticeBanner, "PRACTICE"},
      // The theatre's lines are drawn in the HUD's font, which has no
      // Japanese letters: they read in English, as the HUD does.
      {ETextId::TheatrePositionFormat, "%s / %s   frame %lld / %lld   %s"},
      {ETextId::TheatreHelpLine1, "Space/P play  <-/-> frame  Shift+<-/-> piece  T take over"},
      {ETextId::TheatreHelpLine2, "PgUp/PgDn 10 s  Home/End  1-5 speed  Esc leave"},
      {ETextId::TheatrePadHelpLine1Format, "Pad: %s play  D-pad <-/-> frame, up/down 10 s"},
      {ETextId::TheatreEndLine, "リプレイ終了 Home:最初から Esc:戻る"},
      {ETextId::TheatrePadHelpLine2Format, "Pad: %s/%s piece  %s speed  %s take over"},
      {ETextId::TheatreSpeedFormat, "速度 %s"},
      {ETextId::TheatreLegend, "印：赤 = 2連鎖以上、黄 = レベルアップ"},
      {ETextId::RaceBanner, "RACE"},
      {ETextId::RaceGhostLabel, "ゴースト"},
      {ETextId::RaceChainFormat, "%d連鎖"},
      {ETextId::RaceLeadLabel, "リード"},
      {ETextId::RaceGhostToppedOut, "ゴースト終了"},
      {ETextId::RaceGhostCleared, "ゴーストクリア"},
      {ETextId::RaceEndAheadFormat, "あなたが %s 点リード"},
      {ETextId::RaceEndBehindFormat, "ゴーストが %s 点リード"},
      {ETextId::RaceEndLevel, "ゴーストと同点"},
      {ETextId::RaceRecordsHintFormat, "%s : ゴーストとレース"},
      {ETextId::RaceRankingKeyFormat, "%s : レース"},
      {ETextId::HelpPadDirections, "十字キー"},
      {ETextId::HelpPauseLabel, "一時停止　　　:"},
      {ETextId::HelpLeaveLine, "Esc : ゲームをやめてタイトルメニューへ"},
      {ETextId::HelpAltEnterLine, "Alt+Enter : ウィンドウ / フルスクリーン切り替え"},
      {ETextId::HelpSymbolsLine, "オプションの「ボールの記号」で色ごとに形が付きます："},
      {ETextId::DailyNoServer, "デイリーチャレンジ：サーバが応答しません"},
      {ETextId::DailyBadAnswer, "デイリーチャレンジ：サーバの応答が不正です"},
      {ETextId::DailyListFailed, "今日の順位表を読めませんでした"},
      {ETextId::DailyTitleFormat, "デイリーチャレンジ　%s"},
      {ETextId::DailyTimeLeftFormat, "残り %d:%02d:%02d"},
      {ETextId::DailyDayOver, "この日は終了しました"},
      {ETextId::DailyYourBestFormat, "今日のベスト : %s点（%d位）"},
      {ETextId::DailyNoBest, "今日はまだ送信していません"},
      {ETextId::DailyTopFormat, "%d位 %s"},
      {ETextId::DailyNoEntries, "今日はまだ誰も送信していません"},
      {ETextId::DailyKeptFormat, "未送信 : %s点（%s : 送信）"},
      {ETextId::DailyHintFormat, "%s : 今日の種でプレイ　%s : 送信　%s : 戻る"},
      {ETextId::DailyUploadSuccessFormat, "今日のランキングに送信しました\n今日のあなたの順位は%d位です"},
      {ETextId::DailyUploadRefusedFormat, "今日のランキングに登録されませんでした：\n%s"},
      {ETextId::DailyReasonWrongSeed, "その日の種で遊んだゲームではありません"},
      {ETextId::DailyReasonDayOver, "その日はもう終わりました"},
      {ETextId::DailyReasonBadDate, "日付が正しくありません"},
      {ETextId::DailyReasonNotBetter, "今日のベストを超えていません"},
      {ETextId::DailyEndHintFormat, "%s / %s / Esc : デイリーチャレンジへ"},
      {ETextId::DailyNothingToSend, "このモードで送信できる今日のゲームはありません"},
      {ETextId::DailyRankingTitleFormat, "日別 : %s　%s"},
      {ETextId::RankingDaysKeyFormat, "%s : 日別"},
      {ETextId::HelpDaily,
       "【デイリーチャレンジ】\n"
       "UTCの一日ごとに、各モードの種が全員共通になります。\n"
       "誰でも同じボールが同じ順番で出てきます。\n"
       "「デイリーチャレンジ」では日付と残り時間、\n"
       "各モードの今日のベストと上位３人が見られます。\n"
       "何度でも遊べます。その日のベストのゲームは保存され、\n"
       "その日だけのランキングに送信できます。\n"
       "デイリーのゲームはハイスコアにも通常のランキングにも\n"
       "入りません。"},
      {ETextId::NameEntryEmpty, "名前が空では送信できません"},
  };
  return table;
}
