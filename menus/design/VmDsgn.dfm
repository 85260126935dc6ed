object VmDesignForm: TVmDesignForm
  Left = 200
  Top = 120
  BorderStyle = bsDialog
  Caption = 'VeskMenu Designer'
  ClientHeight = 144
  ClientWidth = 292
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  ActiveControl = lbItems
  OnCreate = FormCreate
  OnMouseUp = FormMouseUp
  PixelsPerInch = 96
  TextHeight = 13
  object lbItems: TListBox
    Left = 3
    Top = 6
    Width = 265
    Height = 133
    Color = clBtnFace
    ItemHeight = 13
    MultiSelect = True
    TabOrder = 0
    OnClick = lbItemsClick
    OnKeyDown = lbItemsKeyDown
    OnMouseUp = lbItemsMouseUp
  end
  object SpeedButton1: TSpeedButton
    Left = 273
    Top = 57
    Width = 15
    Height = 15
    Glyph.Data = {
      BE000000424DBE00000000000000760000002800000009000000090000000100
      0400000000004800000000000000000000001000000010000000000000000000
      80000080000000808000800000008000800080800000C0C0C000808080000000
      FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFFFF00777777777000
      0000777777777000000077777777700000007000000070000000770000077000
      0000777000777000000077770777700000007777777770000000777777777000
      0000}
    OnClick = SpeedButton1Click
  end
  object SpeedButton2: TSpeedButton
    Left = 273
    Top = 72
    Width = 15
    Height = 15
    Glyph.Data = {
      BE000000424DBE00000000000000760000002800000009000000090000000100
      0400000000004800000000000000000000001000000010000000000000000000
      80000080000000808000800000008000800080800000C0C0C000808080000000
      FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFFFF00777777777000
      0000777777777000000077770777700000007770007770000000770000077000
      0000700000007000000077777777700000007777777770000000777777777000
      0000}
    OnClick = SpeedButton2Click
  end
  object Image: TImage
    Left = 272
    Top = 122
    Width = 16
    Height = 16
    AutoSize = True
    Picture.Data = {
      07544269746D6170F6000000424DF60000000000000076000000280000001000
      0000100000000100040000000000800000000000000000000000100000001000
      000000000000000080000080000000808000800000008000800080800000C0C0
      C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
      FF00555555555555555555555555555555555500000000000055550777777777
      7055550700000000705555077777777770555507777777777055550700000000
      7055550777777777705555077777777770555507000000007055550777777777
      7055550777777777705555000000000000555555555555555555555555555555
      5555}
    Visible = False
  end
  object pupMenu: TPopupMenu
    object miAdd: TMenuItem
      Caption = '&Add Item'#9'Ins'
      OnClick = miAddClick
    end
    object miDelete: TMenuItem
      Caption = '&Delete Selected'#9'Del'
      OnClick = miDeleteClick
    end
    object miSelect: TMenuItem
      Caption = '&Select All'
      OnClick = miSelectClick
    end
    object miSeparator1: TMenuItem
      Caption = '-'
    end
    object miOpen: TMenuItem
      Caption = '&Open Edition'
      OnClick = miOpenClick
    end
    object miSave: TMenuItem
      Caption = 'Sa&ve Edition'
      OnClick = miSaveClick
    end
    object miSaveAs: TMenuItem
      Caption = 'Sav&e Edition As'
      OnClick = miSaveAsClick
    end
    object miSeparator2: TMenuItem
      Caption = '-'
    end
    object miCut: TMenuItem
      Caption = 'Cu&t'
      OnClick = miCutClick
    end
    object miCopy: TMenuItem
      Caption = '&Copy'
      OnClick = miCopyClick
    end
    object miPaste: TMenuItem
      Caption = '&Paste'
      OnClick = miPasteClick
    end
    object miSeparator3: TMenuItem
      Caption = '-'
    end
    object miSwitch: TMenuItem
      Caption = 'S&witch to'
      object miFormDsgn: TMenuItem
        Caption = '&Form Designer'
        OnClick = miFormDsgnClick
      end
      object miMenuDsgn: TMenuItem
        Caption = '&Menu Designer'#9'Shift+F9'
        OnClick = miMenuDsgnClick
      end
      object miSeparator4: TMenuItem
        Caption = '-'
      end
      object miObjInsMenu: TMenuItem
        Caption = 'Object &Inspector (menu)'#9'Ctrl+F11'
        OnClick = miObjInsMenuClick
      end
      object miObjInsItem: TMenuItem
        Caption = '&Object Inspector (menu item)'#9'Shift+F11'
        OnClick = miObjInsItemClick
      end
    end
    object miGenerate: TMenuItem
      Caption = '&Generate VM for'
    end
  end
  object OpenDialog1: TOpenDialog
    DefaultExt = 'vmn'
    Filter = 'Vesk Menus editions (*.vmn)|*.vmn'
    Options = [ofOverwritePrompt, ofHideReadOnly]
    Title = 'Open VeskMenus edition'
  end
  object SaveDialog1: TSaveDialog
    DefaultExt = 'vmn'
    Filter = 'Vesk Menus editions (*.vmn)|*.vmn'
    Options = [ofOverwritePrompt, ofHideReadOnly]
    Title = 'Save VeskMenus edition'
  end
  object pupVM: TVeskMenu
    MenuBar.Size = 12
    MenuRefresh = RA_NONE
    OnPopup = pupVMPopup
    object vmiAdd: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF00DDDDDDDDDDDDDDDDDD00000000222DDDDD0FFFFFFF222DDDDD0FFFFF2222
        222DDD0F88222222222DDD0FFFFF2222222DDD0F888888222DDDDD0FFFFFFF22
        2DDDDD0F888888F2DDDDDD0FFFFFFFF2DDDDDD0F888888F0DDDDDD0FFFFFFFF0
        DDDDDD0F888888F0DDDDDD0FFFFFFFF0DDDDDD0000000000DDDDDDDDDDDDDDDD
        DDDD}
      TrColor = clFuchsia
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miAdd
    end
    object vmiDelete: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF00DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD99DDDDDDDDDD99DDD99DDDDDDDD
        99DDDDD99DDDDDD99DDDDDDD99DDDD99DDDDDDDDD99DD99DDDDDDDDDDD9999DD
        DDDDDDDDDDD99DDDDDDDDDDDDD9999DDDDDDDDDDD99DD99DDDDDDDDD99DDDD99
        DDDDDDD99DDDDDD99DDDDD99DDDDDDDD99DDDDDDDDDDDDDDDDDDDDDDDDDDDDDD
        DDDD}
      TrColor = clFuchsia
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miDelete
    end
    object vmiSelect: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      TrColor = clMenu
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miSelect
    end
    object vmiSeparator1: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      TrColor = clMenu
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miSeparator1
    end
    object vmiOpen: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF0055555555555555555555555555555555500000000000005550BBBBBBBBBB
        B05550BBBBBBBBBBB05550BBBBBBBBBBB05550BBBBBBBBBBB05550BBBBBBBBBB
        B05550B000000000000550BBBBBBBBBBB05550BBBBBBBBBBB055500000000000
        0055500000055555555555555555555555555555555555555555555555555555
        5555}
      TrColor = clPurple
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miOpen
    end
    object vmiSave: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF00DDDDDDDDDDDDDDDDD00000000000000DD04407777770440DD04407077770
        440DD04407077770440DD04407777770440DD04400000000440DD04444444444
        440DD04444444444440DD04400000000440DD0440FFFFFF0440DD0440FFFFFF0
        440DD0440FFFFFF0440DD0440FFFFFF0440DD00000000000000DDDDDDDDDDDDD
        DDDD}
      TrColor = clFuchsia
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miSave
    end
    object vmiSaveAs: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF00DDDDDD0DDDDDDDDDD00000B00000000DD044077B0770440DD0440707B070
        440DD04407077B00440DD044077777B0440DD0440000000B040DD04444444444
        B00DD044444444444B0DD0440000000044BDD0440FFFFFF0440DD0440FFFFFF0
        440DD0440FFFFFF0440DD0440FFFFFF0440DD00000000000000DDDDDDDDDDDDD
        DDDD}
      TrColor = clFuchsia
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miSaveAs
    end
    object vmiSeparator2: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      TrColor = clMenu
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miSeparator2
    end
    object vmiCut: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF00DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD00000DD00000DDDD0DDD0DD0DD
        D0DDDD0DDD0DD0DDD0DDDD0DDD0DD0DDD0DDDD00000DD00000DDDDDDDD0DD0DD
        DDDDDDDDDD0DD0DDDDDDDDDDDD0DD0DDDDDDDDDDD0DDDD0DDDDDDDDDD0DDDD0D
        DDDDDDDDD0DDDD0DDDDDDDDD0DDDDDD0DDDDDDDD0DDDDDD0DDDDDDDDDDDDDDDD
        DDDD}
      TrColor = clFuchsia
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miCut
    end
    object vmiCopy: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF00DDDDDDDDDDDDDDDDDDDDDD000000000DDDDDDD0FFFFFFF0DDDDDDD0FFFFF
        FF0DDDDDDD0F88888F0DD000000FFFFFFF0DD0FFFF0F88888F0DD0FFFF0FFFFF
        FF0DD0F8880F88888F0DD0FFFF0FFFFFFF0DD0F888000000000DD0FFFFFF0DDD
        DDDDD0F8888F0DDDDDDDD0FFFFFF0DDDDDDDD00000000DDDDDDDDDDDDDDDDDDD
        DDDD}
      TrColor = clFuchsia
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miCopy
    end
    object vmiPaste: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF00DDDDDDD00000000DD0000000FFFFFF0DD0333330FFFFFF0DD0333330F888
        8F0DD0333330FFFFFF0DD0333330F8888F0DD0333330FFFFFF0DD0333330F888
        8F0DD0333330FFFFFF0DD03333300000000DD03333333330DDDDD03333333330
        DDDDD03300000330DDDDD00007770000DDDDDDDD00000DDDDDDDDDDDDDDDDDDD
        DDDD}
      TrColor = clFuchsia
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miPaste
    end
    object vmiSeparator3: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      TrColor = clMenu
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miSeparator3
    end
    object vmiSwitch: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF00555555555555555555555555555555555555525555555555555525555555
        55555552555555555555552222222222225555525555555555555555255555C5
        555555555255555C5555555555555555C55555CCCCCCCCCCCC55555555555555
        C55555555555555C55555555555555C555555555555555555555555555555555
        5555}
      TrColor = clPurple
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miSwitch
    end
    object vmiSeparator4: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      TrColor = clMenu
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miSeparator4
    end
    object vmiMenuDsgn: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF0033333333333333333333333333333333300000000000000330FFFFFFFFFF
        FF0330FFFFFFFFFFFF0330F0000000FFFF0330FFFFFFFFFFFF0330F0000000FF
        FF0330FFFFFFFFFFFF0330F0000000FFFF0330FFFFFFFFFFFF03304444444444
        4403304444444444440330000000000000033333333333333333333333333333
        3333}
      TrColor = clOlive
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miMenuDsgn
    end
    object vmiObjInsItem: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF0033333333333333333333333333333333300000000000000330FFFFFFFFFF
        FF0330FFFFFFFFFFFF0330F8888088888F0330FFFFFFFFFFFF0330F998808888
        8F0330FFFFFFFFFFFF0330F8888088888F0330FFFFFFFFFFFF03306666666666
        6603306666666666660330000000000000033333333333333333333333333333
        3333}
      TrColor = clOlive
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miObjInsItem
    end
    object vmiObjInsMenu: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF0033333333333333333333333333333333300000000000000330FFFFFFFFFF
        FF0330FFFFFFFFFFFF0330F8888088888F0330FFFFFFFFFFFF0330F448808888
        8F0330FFFFFFFFFFFF0330F8888088888F0330FFFFFFFFFFFF03306666666666
        6603306666666666660330000000000000033333333333333333333333333333
        3333}
      TrColor = clOlive
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miObjInsMenu
    end
    object vmiGenerate: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF005555555555555555500000000005555550FFFFFFFF05555550FFFFFFFF05
        555550F444444F05555550FFFFFFFF05555550FFFFFFFF05555550F444444F05
        555550FFFFFFFF05555550FFFFFFFF05555550F444444F05B55550FFFFFFFF05
        B5555000000000BBBBB5555555555555B555555555555555B555555555555555
        5555}
      TrColor = clPurple
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miGenerate
    end
    object vmiFormDsgn: TVeskMenuItem
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = 'System'
      Font.Style = []
      Picture.Data = {
        07544269746D6170F6000000424DF60000000000000076000000280000001000
        0000100000000100040000000000800000000000000000000000100000001000
        000000000000000080000080000000808000800000008000800080800000C0C0
        C000808080000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFF
        FF0033333333333333333333333333333333300000000000000330FFFFFFFFFF
        FF0330FFFFFFFFFFFF0330F0F0F0F0F0FF0330FFFFFFFFFFFF0330F0F0F0F0F0
        FF0330FFFFFFFFFFFF0330F0F0F0F0F0FF0330FFFFFFFFFFFF0330CCCCCCCCCC
        CC0330CCCCCCCCCCCC0330000000000000033333333333333333333333333333
        3333}
      TrColor = clOlive
      Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]
      Menu = pupMenu
      MenuItem = miFormDsgn
    end
  end
end
