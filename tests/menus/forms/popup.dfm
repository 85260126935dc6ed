object Form1: TForm
  Left = 200
  Top = 120
  Caption = 'A popup to preview'
  ClientHeight = 200
  ClientWidth = 300
  object PopupMenu1: TPopupMenu
    object Alpha1: TMenuItem
      Caption = 'Alpha'
    end
    object Beta1: TMenuItem
      Caption = '&Beta'
      ShortCut = 16450
      OnClick = Beta1Click
    end
    object Gamma1: TMenuItem
      Caption = 'Гамма'
    end
  end
  object VeskMenu1: TVeskMenu
    HSpace = 4
    VSpace = 3
    object VeskMenuItem1: TVeskMenuItem
      NormColor = clYellow
      SelColor = clNavy
      CustomImgSize = 20
      MenuItem = Alpha1
    end
    object VeskMenuItem2: TVeskMenuItem
      NormColor = clYellow
      SelColor = clNavy
      CustomImgSize = 20
      MenuItem = Beta1
    end
    object VeskMenuItem3: TVeskMenuItem
      NormColor = clYellow
      SelColor = clNavy
      CustomImgSize = 20
      MenuItem = Gamma1
    end
  end
end
