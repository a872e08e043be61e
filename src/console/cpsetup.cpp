// CP curve set-up menu: the curve number, its constants and its derived
// records.
#include "console/cpsetup.h"

#include "console/console.h"

namespace agv {

namespace {

// The prompt of the constants of one curve.
struct ConstPrompt {
  int I;
  const char* prompt;
};

const ConstPrompt kPrompts[] = {
    {1, con::text("\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) を選択　A,Lを設定 A L=")},
    {2, con::text("\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) を選択 A L=")},
    {3, con::text("\n I=3  : 2次関数 y=A*(x/L)^2 を選択　A L=")},
    {4, con::text("\n I=4  : 3次関数 y=A*(x/L)^3 を選択 A L=")},
    {11, con::text("\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) を選択 A B=")},
    {12, con::text("\n I=12 : アルキメデス螺旋 r=A*(β/2π) を選択 Aと巻数(任意正数)入力 A n=")},
    {13, con::text("\n I=13 : カーディオイド r=A(B-cosβ) を選択 A=")},
    {14, con::text("\n I=14 : 正葉線 r=A*sin(nβ) を選択 A n(=1,2,...,1/2,1/3,...)=")},
    {16, con::text("\n I=16 : 波打ち円 r=R+A*cos(nβ) を選択. R=2  入力 A 波打ち数n=")},
};

void menu() {
  con::out("\n\nCP経路曲線を設定・変更　　曲線番号入力");
  con::out("\n I<10:y=f(x), 10<I:r=f(β)    定数は全て正値");
  con::out("\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) ");
  con::out("\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) ");
  con::out("\n I=3  : 2次関数 y=A*(x/L)^2 ");
  con::out("\n I=4  : 3次関数 y=A*(x/L)^3 ");
  con::out("\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) ");
  con::out("\n I=12 : アルキメデス螺旋 r=A*(β/2π) ");
  con::out("\n I=13 : カーディオイド r=A*(B-cosβ) ");
  con::out("\n I=14 : 正葉線 r=A*sin(nβ) ");
  con::out("\n I=16 : 波打ち円 r=R+A*cos(nβ) ");
}

// Reads a curve number from the menu until it names a curve.
int readcurve() {
  for (;;) {
    menu();
    int I = 0;
    do {
      con::out("\n Input I= ");
    } while (!con::readInt(I));
    if (I <= 0) continue;
    if (!iscurve(I)) {
      con::out("\n I=%d  やり直し", I);
      continue;
    }
    return I;
  }
}

// Prompts for the constants of one curve until they are numbers and none
// is negative, and stores them.
void readconst(Session& s, const ConstPrompt& p) {
  double* dst[2];
  const int n = curveconsts(s, p.I, dst);
  for (;;) {
    con::out("%s", con::tr(p.prompt));
    double v[2] = {0.0, 0.0};
    if (!con::readDoubles(n, v)) continue;
    bool neg = false;
    for (int i = 0; i < n; ++i)
      if (v[i] < 0) neg = true;
    if (neg) continue;
    for (int i = 0; i < n; ++i) *dst[i] = v[i];
    return;
  }
}

}  // namespace

void cpsetup(Session& s) {
  const int I = readcurve();
  s.curveNo = I;
  con::out("\n 定数を設定　A,B=0-10 間の値とする");
  const ConstPrompt* p = kPrompts;
  while (p->I != I) ++p;
  for (;;) {
    readconst(s, *p);
    if (curvedefined(curveof(s, I))) break;
    con::out(
        "\ncpsetup() I=%d この定数では曲線が定まらない(0で割る，範囲が無限など)．定数を設定し直し",
        I);
  }
}

}  // namespace agv
