// Console texts shared by the transcript tests.
#pragma once

#include <string>

namespace agvtest {

inline const std::string kHead =
    "\n\n/*************** 設定したAGVの経路生成条件 ************************/";
inline const std::string kTail =
    "\n/***********************************************************************/\n";
inline const std::string kType1 = "\n(1-1) 1:2DW1Cタイプ";
inline const std::string kSpeed = "\n(1-2) 走行速度    Vmax= 1.00[m/s]＝一定";
inline const std::string kSteer =
    "\n(1-3) ステアリング速度= 2.00[rad/s]＝一定"
    "\n      dt=0.0200[s]で変えられる最大角度= 2.2918[deg]";
inline const std::string kRadius = "\n(1-4) 最小旋回半径  Ra= 1.00[m]";
inline const std::string kCp = "\n(2-1)CP運動（経路既知）";
inline const std::string kCosine = "\n (1) 余弦関数 y=A*(1-cos(2πx/L)) A=2.00[m] L=5.00[m]";
inline const std::string kCosineList =
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) A= 2.00[m] L= 5.00[m]";
inline const std::string kDrawA = "\n(3) 円弧－直線経路の定速・可変速運動を描画";
inline const std::string kDrawB = "\n(3) クロソイド－直線経路の定速・可変速運動を描画";
inline const std::string kInput = "\n Input I= ";
inline const std::string kMenu =
    "\n\nCP経路曲線を設定・変更　　曲線番号入力"
    "\n I<10:y=f(x), 10<I:r=f(β)    定数は全て正値"
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) "
    "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) "
    "\n I=3  : 2次関数 y=A*(x/L)^2 "
    "\n I=4  : 3次関数 y=A*(x/L)^3 "
    "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) "
    "\n I=12 : アルキメデス螺旋 r=A*(β/2π) "
    "\n I=13 : カーディオイド r=A*(B-cosβ) "
    "\n I=14 : 正葉線 r=A*sin(nβ) "
    "\n I=16 : 波打ち円 r=R+A*cos(nβ) " +
    kInput;
inline const std::string kConsts = "\n 定数を設定　A,B=0-10 間の値とする";
inline const std::string kCosinePrompt =
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) を選択　A,Lを設定 A L=";
inline const std::string kPosePrompt = "\n    入力　xf[m] yf[m] θf°=";
inline const std::string kRefused = "\n入力が有限の数値ではありません．数値を入力し直してください";
inline const std::string kNotWhole = "\n入力が整数ではありません．整数を入力し直してください";

// The PTP section of the condition report for the given end pose.
inline std::string ptpPose(const std::string& xf, const std::string& yf, const std::string& thf) {
  return "\nPTP運動：始点・終点を与えて経路生成"
         "\n(2-1) PTP始点 (x0,y0)=( 0.0000  0.0000)[m], θ0= 0.00[deg]"
         "\n         終点 (xf,yf)=(" +
         xf + " " + yf + ")[m]，θf=" + thf + "[deg]";
}

}  // namespace agvtest
