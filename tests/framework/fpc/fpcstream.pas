{ fpcstream: Free Pascal's own component stream converters, as an independent reference for our tests.

    fpcstream totext FILE        ObjectBinaryToText over every object of FILE, until its end or a 0 byte
    fpcstream tobinary FILE OUT  ObjectTextToBinary over every object of the text FILE, written one after
                                 the other to OUT (no closing 0 byte)

  Errors: the exception's class, message and the input offset on standard error, exit code 1. }
{$mode objfpc}{$H+}
program fpcstream;

uses
  SysUtils, Classes;

procedure ToText(const FileName: string);
var
  Input: TMemoryStream;
  Output: TStringStream;
begin
  Input := TMemoryStream.Create;
  Output := TStringStream.Create('');
  try
    Input.LoadFromFile(FileName);
    try
      while (Input.Position < Input.Size) and (PByte(Input.Memory)[Input.Position] <> 0) do
        ObjectBinaryToText(Input, Output);
    except
      on E: Exception do
      begin
        Write(Output.DataString);
        WriteLn(StdErr, E.ClassName, ': ', E.Message, ' (input offset ', Input.Position, ')');
        Halt(1);
      end;
    end;
    Write(Output.DataString);
  finally
    Output.Free;
    Input.Free;
  end;
end;

{ True when only blanks and line ends are left in the text. }
function AtTextEnd(Input: TMemoryStream): Boolean;
var
  P: Int64;
begin
  P := Input.Position;
  while (P < Input.Size) and (PChar(Input.Memory)[P] in [' ', #9, #10, #13]) do
    Inc(P);
  Result := P >= Input.Size;
end;

procedure ToBinary(const InName, OutName: string);
var
  Input, Output: TMemoryStream;
begin
  Input := TMemoryStream.Create;
  Output := TMemoryStream.Create;
  try
    Input.LoadFromFile(InName);
    try
      while not AtTextEnd(Input) do
        ObjectTextToBinary(Input, Output);
    except
      on E: Exception do
      begin
        WriteLn(StdErr, E.ClassName, ': ', E.Message, ' (input offset ', Input.Position, ')');
        Halt(1);
      end;
    end;
    Output.SaveToFile(OutName);
  finally
    Output.Free;
    Input.Free;
  end;
end;

begin
  if (ParamCount = 2) and (ParamStr(1) = 'totext') then
    ToText(ParamStr(2))
  else if (ParamCount = 3) and (ParamStr(1) = 'tobinary') then
    ToBinary(ParamStr(2), ParamStr(3))
  else
  begin
    WriteLn(StdErr, 'usage: fpcstream totext FILE | fpcstream tobinary FILE OUT');
    Halt(2);
  end;
end.
