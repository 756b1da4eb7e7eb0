<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>AddReport</name>
    <message numerus="yes">
        <source>These %n were not added to the list:</source>
        <translation>
            <numerusform>Ceci n&apos;a pas été ajouté à la liste :</numerusform>
            <numerusform>Ces %n éléments n&apos;ont pas été ajoutés à la liste :</numerusform>
        </translation>
    </message>
    <message>
        <source>
…and %1 more, under Show Details.</source>
        <translation>
…et %1 de plus, sous Afficher les détails.</translation>
    </message>
    <message>
        <source>
…and %1 more.</source>
        <translation>
…et %1 de plus.</translation>
    </message>
</context>
<context>
    <name>AttemptFiles</name>
    <message>
        <source>The output file %1 would overwrite a source file</source>
        <translation>Le fichier de sortie %1 écraserait un fichier source</translation>
    </message>
</context>
<context>
    <name>ConsoleFrontEnd</name>
    <message>
        <source>vantrel: %1 Its settings are not used.
</source>
        <translation>vantrel : %1 Ses réglages ne sont pas utilisés.
</translation>
    </message>
    <message>
        <source>cannot make the output folder &quot;%1&quot;: %2</source>
        <translation>impossible de créer le dossier de sortie « %1 » : %2</translation>
    </message>
    <message>
        <source>the output folder &quot;%1&quot; does not exist</source>
        <translation>le dossier de sortie « %1 » n&apos;existe pas</translation>
    </message>
    <message>
        <source>the output folder &quot;%1&quot; is not a folder</source>
        <translation>le dossier de sortie « %1 » n&apos;est pas un dossier</translation>
    </message>
    <message>
        <source>vantrel: no --outdir and no stored output folder: converting into &quot;%1&quot;
</source>
        <translation>vantrel : ni --outdir ni dossier de sortie enregistré : conversion dans « %1 »
</translation>
    </message>
    <message>
        <source>The run stopped before this file</source>
        <translation>L&apos;exécution s&apos;est arrêtée avant ce fichier</translation>
    </message>
    <message>
        <source>vantrel: Stopped by %1.
</source>
        <translation>vantrel : Arrêté par %1.
</translation>
    </message>
    <message>
        <source>vantrel: cannot write to standard output: %1
</source>
        <translation>vantrel : impossible d&apos;écrire sur la sortie standard : %1
</translation>
    </message>
</context>
<context>
    <name>ConsoleOptions</name>
    <message>
        <source>--convert-to needs a profile: divx or xvid</source>
        <translation>--convert-to demande un profil : divx ou xvid</translation>
    </message>
    <message>
        <source>unknown profile &quot;%1&quot;: use divx or xvid</source>
        <translation>profil inconnu « %1 » : utilisez divx ou xvid</translation>
    </message>
    <message>
        <source>--outdir needs a folder</source>
        <translation>--outdir demande un dossier</translation>
    </message>
    <message>
        <source>--jobs needs a whole number of 1 or more</source>
        <translation>--jobs demande un nombre entier de 1 ou plus</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>option inconnue « %1 »</translation>
    </message>
    <message>
        <source>--convert-to divx or --convert-to xvid is needed</source>
        <translation>--convert-to divx ou --convert-to xvid est nécessaire</translation>
    </message>
    <message>
        <source>no FLV file or folder to convert</source>
        <translation>aucun fichier FLV ni dossier à convertir</translation>
    </message>
    <message>
        <source>Usage: vantrel [PATH...]
       vantrel --convert-to divx|xvid [--outdir DIR] [--jobs N] PATH...
       vantrel --help | --version

Without options, opens the window and queues each FLV file and folder given.

With --convert-to, converts FLV files to AVI without a window. Each PATH is an
FLV file, or a folder whose FLV files (not those of its subfolders) are all
converted.

  --convert-to divx|xvid  convert as the DivX AVI or the Xvid AVI button does
  --outdir DIR            put the AVI files in DIR; without it, in the output
                          folder the window has stored, else in the window&apos;s
                          default, VANTREL in the Documents folder (made)
  --jobs N                run at most N ffmpeg conversions (and N measurements)
                          at once; tiny files may share one ffmpeg. Without
                          it, the settings file&apos;s Jobs=, else one per core
  --help                  show this text
  --version               show the version
  --                      what follows is a PATH even if it starts with -

Every FLV file named, alone or by its folder, gives exactly one line on
standard output as soon as its fate is known: converted files in the order
they finish (with --jobs 1, in the order given), a file that cannot be
queued at once:  Done&lt;TAB&gt;source&lt;TAB&gt;output  or  Failed&lt;TAB&gt;source&lt;TAB&gt;reason
A tab, newline, carriage return or backslash in these fields is written
\t, \n, \r or \\, any other control character and any byte of a name
that is not UTF-8 as \xHH, one for each of its bytes (\x1B, \xE9).
A file named twice is converted once.

Exit code: 0 every file converted; 1 a file failed or could not be queued,
or standard output could not be written; 2 a usage error (unknown option or
profile, no PATH, an output folder that is missing or cannot be made, a
missing tool). Ended by SIGINT, SIGTERM or SIGHUP, it stops its ffmpeg,
removes the unfinished files, gives each file without a line a Failed
line and ends by that signal; when standard output&apos;s reader has gone
(SIGPIPE), it stops the same way without writing anything more.
</source>
        <translation>Usage : vantrel [CHEMIN...]
        vantrel --convert-to divx|xvid [--outdir DOSSIER] [--jobs N] CHEMIN...
        vantrel --help | --version

Sans option, ouvre la fenêtre et met en file chaque fichier FLV et chaque
dossier donnés.

Avec --convert-to, convertit des fichiers FLV en AVI sans fenêtre. Chaque
CHEMIN est un fichier FLV, ou un dossier dont les fichiers FLV (pas ceux de ses
sous-dossiers) sont tous convertis.

  --convert-to divx|xvid  convertir comme le bouton DivX AVI ou Xvid AVI
  --outdir DOSSIER        placer les fichiers AVI dans DOSSIER ; sans cette
                          option, dans le dossier de sortie enregistré par la
                          fenêtre, sinon dans celui par défaut, VANTREL dans le
                          dossier Documents (créé)
  --jobs N                au plus N conversions ffmpeg (et N mesures) à la
                          fois ; de très petits fichiers peuvent partager un
                          ffmpeg. Sans cette option, Jobs= du fichier de
                          réglages, sinon une par cœur
  --help                  afficher ce texte
  --version               afficher la version
  --                      ce qui suit est un CHEMIN même s&apos;il commence par -

Chaque fichier FLV nommé, seul ou par son dossier, donne exactement une ligne
sur la sortie standard dès que son sort est connu : les fichiers convertis dans
l&apos;ordre où ils se terminent (avec --jobs 1, dans l&apos;ordre donné), un fichier qui
ne peut être mis en file, aussitôt. Ces lignes et leurs mots Done et Failed
restent en anglais, car des scripts les lisent :
  Done&lt;TAB&gt;source&lt;TAB&gt;sortie  ou  Failed&lt;TAB&gt;source&lt;TAB&gt;raison
Une tabulation, un saut de ligne, un retour chariot ou une barre oblique inverse
dans ces champs s&apos;écrit \t, \n, \r ou \\, tout autre caractère de contrôle et
tout octet d&apos;un nom qui n&apos;est pas de l&apos;UTF-8 \xHH, un par octet (\x1B, \xE9).
Un fichier nommé deux fois est converti une fois.

Code de sortie : 0 chaque fichier converti ; 1 un fichier a échoué ou n&apos;a pu
être mis en file, ou la sortie standard n&apos;a pu être écrite ; 2 une erreur
d&apos;usage (option ou profil inconnu, aucun CHEMIN, un dossier de sortie absent
ou impossible à créer, un outil manquant). Arrêté par SIGINT, SIGTERM ou
SIGHUP, il arrête son ffmpeg, supprime les fichiers inachevés, donne une ligne
Failed à chaque fichier qui n&apos;en a pas et se termine par ce signal ; quand le
lecteur de la sortie standard a disparu (SIGPIPE), il s&apos;arrête de même sans
plus rien écrire.
</translation>
    </message>
    <message>
        <source>Try &apos;vantrel --help&apos; for more information.
</source>
        <translation>Essayez « vantrel --help » pour plus d&apos;informations.
</translation>
    </message>
    <message>
        <source>vantrel: cannot open a window: no display. To convert without one: vantrel --convert-to divx|xvid PATH...
</source>
        <translation>vantrel : impossible d&apos;ouvrir une fenêtre : aucun affichage. Pour convertir sans fenêtre : vantrel --convert-to divx|xvid CHEMIN...
</translation>
    </message>
</context>
<context>
    <name>ConsoleReport</name>
    <message>
        <source>The file was not converted</source>
        <translation>Le fichier n&apos;a pas été converti</translation>
    </message>
    <message>
        <source>Stopped by %1 before its conversion finished</source>
        <translation>Arrêté par %1 avant la fin de sa conversion</translation>
    </message>
    <message>
        <source>Stopped by %1 before it was converted</source>
        <translation>Arrêté par %1 avant d&apos;être converti</translation>
    </message>
</context>
<context>
    <name>ConversionOutcome</name>
    <message>
        <source>Stopped</source>
        <translation>Arrêté</translation>
    </message>
</context>
<context>
    <name>ConversionRun</name>
    <message>
        <source>Cannot find the program &quot;ffmpeg&quot;, which converts the files. Please install the package &quot;ffmpeg&quot; and start Vantrel again</source>
        <translation>Le programme « ffmpeg », qui convertit les fichiers, est introuvable. Veuillez installer le paquet « ffmpeg » et relancer Vantrel</translation>
    </message>
    <message>
        <source>Choose an output folder with Browse first.</source>
        <translation>Choisissez d&apos;abord un dossier de sortie avec Parcourir.</translation>
    </message>
    <message>
        <source>The conversion was stopped</source>
        <translation>La conversion a été arrêtée</translation>
    </message>
</context>
<context>
    <name>DurationProbe</name>
    <message>
        <source>Cannot find &quot;%1&quot;, which Vantrel needs to measure files. Please install Vantrel again</source>
        <translation>« %1 », dont Vantrel a besoin pour mesurer les fichiers, est introuvable. Veuillez réinstaller Vantrel</translation>
    </message>
    <message>
        <source>The program &quot;%1&quot;, which Vantrel needs to measure files, could not be started: %2</source>
        <translation>Le programme « %1 », dont Vantrel a besoin pour mesurer les fichiers, n&apos;a pas pu être lancé : %2</translation>
    </message>
    <message>
        <source>. Please install Vantrel again</source>
        <translation>. Veuillez réinstaller Vantrel</translation>
    </message>
    <message>
        <source>Cannot find the program &quot;mediainfo&quot;, which measures the playing time of each file. Please install the package &quot;mediainfo&quot; and start Vantrel again</source>
        <translation>Le programme « mediainfo », qui mesure la durée de chaque fichier, est introuvable. Veuillez installer le paquet « mediainfo » et relancer Vantrel</translation>
    </message>
    <message>
        <source>mediainfo gave no answer in %1 s and was ended</source>
        <translation>mediainfo n&apos;a pas répondu en %1 s et a été arrêté</translation>
    </message>
    <message>
        <source>Cannot measure files: Vantrel has no private temporary folder</source>
        <translation>Impossible de mesurer les fichiers : Vantrel n&apos;a pas de dossier temporaire privé</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Impossible de créer le fichier « %1 ». %2</translation>
    </message>
    <message>
        <source>Cannot delete file &quot;%1&quot;</source>
        <translation>Impossible de supprimer le fichier « %1 »</translation>
    </message>
    <message>
        <source>measures the playing time of each file</source>
        <translation>mesure la durée de chaque fichier</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Impossible d&apos;ouvrir le fichier « %1 ». %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid time</source>
        <translation>« %1 » n&apos;est pas une durée valide</translation>
    </message>
</context>
<context>
    <name>Error</name>
    <message>
        <source>An unexpected error occurred</source>
        <translation>Une erreur inattendue s&apos;est produite</translation>
    </message>
</context>
<context>
    <name>FfmpegProcess</name>
    <message>
        <source>ffmpeg was stopped</source>
        <translation>ffmpeg a été arrêté</translation>
    </message>
    <message>
        <source>ffmpeg reported no progress for %1 s and was ended</source>
        <translation>ffmpeg n&apos;a signalé aucun progrès pendant %1 s et a été arrêté</translation>
    </message>
</context>
<context>
    <name>FfmpegReport</name>
    <message>
        <source>ffmpeg finds no playable stream in it</source>
        <translation>ffmpeg n&apos;y trouve aucun flux lisible</translation>
    </message>
    <message>
        <source>ffmpeg cannot decode its picture or sound</source>
        <translation>ffmpeg ne peut décoder ni son image ni son son</translation>
    </message>
    <message>
        <source>ffmpeg cannot read it: it is damaged or not a video</source>
        <translation>ffmpeg ne peut pas le lire : il est endommagé ou n&apos;est pas une vidéo</translation>
    </message>
    <message>
        <source>ffmpeg ended with exit code %1 without naming a cause</source>
        <translation>ffmpeg s&apos;est terminé avec le code de sortie %1 sans en donner la cause</translation>
    </message>
    <message>
        <source>ffmpeg was killed or crashed</source>
        <translation>ffmpeg a été tué ou a planté</translation>
    </message>
    <message>
        <source>ffmpeg was ended by signal %1 (SIG%2)</source>
        <translation>ffmpeg a été arrêté par le signal %1 (SIG%2)</translation>
    </message>
    <message>
        <source>converts the files</source>
        <translation>convertit les fichiers</translation>
    </message>
    <message>
        <source>ffmpeg ended with exit code %1</source>
        <translation>ffmpeg s&apos;est terminé avec le code de sortie %1</translation>
    </message>
</context>
<context>
    <name>FileConversion</name>
    <message>
        <source>The output folder %1 no longer exists</source>
        <translation>Le dossier de sortie %1 n&apos;existe plus</translation>
    </message>
    <message>
        <source>ffmpeg wrote no output file</source>
        <translation>ffmpeg n&apos;a écrit aucun fichier de sortie</translation>
    </message>
</context>
<context>
    <name>FlvTimeline</name>
    <message>
        <source>The source holds %1 s of the %2 s its header states: it may be cut off.</source>
        <translation>La source contient %1 s des %2 s qu&apos;annonce son en-tête : elle est peut-être tronquée.</translation>
    </message>
</context>
<context>
    <name>Folders</name>
    <message>
        <source>There is no home folder to keep Vantrel&apos;s state in</source>
        <translation>Il n&apos;y a pas de dossier personnel où Vantrel puisse garder son état</translation>
    </message>
    <message>
        <source>Cannot create the private folder &quot;%1&quot;: %2</source>
        <translation>Impossible de créer le dossier privé « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot use the private folder &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;utiliser le dossier privé « %1 » : %2</translation>
    </message>
    <message>
        <source>is a link; remove it</source>
        <translation>est un lien ; supprimez-le</translation>
    </message>
    <message>
        <source>is not a folder; remove it</source>
        <translation>n&apos;est pas un dossier ; supprimez-le</translation>
    </message>
    <message>
        <source>belongs to another user; have it removed</source>
        <translation>appartient à un autre utilisateur ; faites-le supprimer</translation>
    </message>
    <message>
        <source>is writable by others; remove it or set its mode to 0700</source>
        <translation>est accessible en écriture aux autres ; supprimez-le ou mettez ses droits à 0700</translation>
    </message>
    <message>
        <source>is open to other users; remove it or set its mode to 0700</source>
        <translation>est ouvert aux autres utilisateurs ; supprimez-le ou mettez ses droits à 0700</translation>
    </message>
    <message>
        <source>The private folder &quot;%1&quot; %2 and start Vantrel again</source>
        <translation>Le dossier privé « %1 » %2 et relancez Vantrel</translation>
    </message>
</context>
<context>
    <name>KeptQueue</name>
    <message>
        <source>it is damaged at line %1</source>
        <translation>elle est endommagée à la ligne %1</translation>
    </message>
    <message>
        <source>it is larger than any queue Vantrel writes</source>
        <translation>elle est plus grande que toute liste écrite par Vantrel</translation>
    </message>
    <message>
        <source>it was written by a newer version of Vantrel</source>
        <translation>elle a été écrite par une version plus récente de Vantrel</translation>
    </message>
</context>
<context>
    <name>KeptQueueOffer</name>
    <message numerus="yes">
        <source>%n files were not converted when Vantrel last closed. Queue them again?</source>
        <translation>
            <numerusform>%n fichier n&apos;a pas été converti à la dernière fermeture de Vantrel. Le remettre dans la file ?</numerusform>
            <numerusform>%n fichiers n&apos;ont pas été convertis à la dernière fermeture de Vantrel. Les remettre dans la file ?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainEngine</name>
    <message numerus="yes">
        <source>%n files converted, %1 failed.</source>
        <translation>
            <numerusform>%n fichier converti, %1 en échec.</numerusform>
            <numerusform>%n fichiers convertis, %1 en échec.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainInstance</name>
    <message>
        <source>vantrel: %1; this copy runs without the single-instance guard
</source>
        <translation>vantrel : %1 ; cette copie s&apos;exécute sans la protection d&apos;instance unique
</translation>
    </message>
    <message>
        <source>vantrel: the running Vantrel did not take the files given within %1 seconds; they were not queued
</source>
        <translation>vantrel : le Vantrel en cours n&apos;a pas pris les fichiers donnés en %1 secondes ; ils n&apos;ont pas été mis en file
</translation>
    </message>
</context>
<context>
    <name>MainKeyboard</name>
    <message>
        <source>Files to convert</source>
        <translation>Fichiers à convertir</translation>
    </message>
    <message>
        <source>The queued files, their progress and their converted files; Delete removes the selected file</source>
        <translation>Les fichiers en file, leur progression et leurs fichiers convertis ; Suppr retire le fichier sélectionné</translation>
    </message>
    <message>
        <source>Opens the page in the web browser</source>
        <translation>Ouvre la page dans le navigateur web</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Réduire</translation>
    </message>
    <message>
        <source>Minimizes the Vantrel window</source>
        <translation>Réduit la fenêtre de Vantrel</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Ends the conversions and closes Vantrel</source>
        <translation>Termine les conversions et ferme Vantrel</translation>
    </message>
    <message>
        <source>Convert to DivX AVI</source>
        <translation>Convertir en DivX AVI</translation>
    </message>
    <message>
        <source>Converts the pending files of the list to DivX AVI files</source>
        <translation>Convertit les fichiers en attente de la liste en fichiers DivX AVI</translation>
    </message>
    <message>
        <source>Convert to Xvid AVI</source>
        <translation>Convertir en Xvid AVI</translation>
    </message>
    <message>
        <source>Converts the pending files of the list to Xvid AVI files</source>
        <translation>Convertit les fichiers en attente de la liste en fichiers Xvid AVI</translation>
    </message>
    <message>
        <source>Vantrel home page</source>
        <translation>Page d&apos;accueil de Vantrel</translation>
    </message>
    <message>
        <source>Opens the maker&apos;s home page in the web browser</source>
        <translation>Ouvre la page d&apos;accueil de l&apos;éditeur dans le navigateur web</translation>
    </message>
</context>
<context>
    <name>MainLayout</name>
    <message>
        <source>Select single FLV file</source>
        <translation>Choisir un fichier FLV</translation>
    </message>
    <message>
        <source>Select folder containing FLV files</source>
        <translation>Choisir un dossier de fichiers FLV</translation>
    </message>
    <message>
        <source>Select output folder</source>
        <translation>Choisir le dossier de sortie</translation>
    </message>
    <message>
        <source>Files to convert (DEL to remove selected file from the list)</source>
        <translation>Fichiers à convertir (SUPPR retire le fichier choisi)</translation>
    </message>
    <message>
        <source>Add FLV File</source>
        <translation>Ajouter un FLV</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>Ajouter un dossier</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Parcourir</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Réduire</translation>
    </message>
</context>
<context>
    <name>MainQueue</name>
    <message>
        <source>Select Output Folder</source>
        <translation>Choisir le dossier de sortie</translation>
    </message>
    <message>
        <source>FLV Files (*.flv)</source>
        <translation>Fichiers FLV (*.flv)</translation>
    </message>
    <message>
        <source>Measuring %1 of %2…</source>
        <translation>Mesure %1 sur %2…</translation>
    </message>
</context>
<context>
    <name>MainStop</name>
    <message>
        <source>Stop converting the %1 files that are being converted?</source>
        <translation>Arrêter la conversion des %1 fichiers en cours ?</translation>
    </message>
</context>
<context>
    <name>OutputCheck</name>
    <message>
        <source>The output could not be checked: </source>
        <translation>La sortie n&apos;a pas pu être vérifiée : </translation>
    </message>
    <message>
        <source>mediainfo&apos;s library gave no answer in %1 s</source>
        <translation>la bibliothèque de mediainfo n&apos;a pas répondu en %1 s</translation>
    </message>
    <message>
        <source>The output is not an AVI file: mediainfo knows no format in it</source>
        <translation>La sortie n&apos;est pas un fichier AVI : mediainfo n&apos;y reconnaît aucun format</translation>
    </message>
    <message>
        <source>The output is not an AVI file but %1</source>
        <translation>La sortie n&apos;est pas un fichier AVI mais %1</translation>
    </message>
    <message>
        <source>The AVI holds no stream</source>
        <translation>L&apos;AVI ne contient aucun flux</translation>
    </message>
    <message>
        <source>The AVI is cut off before the end its header gives</source>
        <translation>L&apos;AVI est tronqué avant la fin qu&apos;annonce son en-tête</translation>
    </message>
    <message>
        <source>The AVI has no playing time</source>
        <translation>L&apos;AVI n&apos;a aucune durée</translation>
    </message>
    <message>
        <source>The AVI plays %1 of the source&apos;s %2</source>
        <translation>L&apos;AVI dure %1 sur les %2 de la source</translation>
    </message>
</context>
<context>
    <name>OwnTempFolder</name>
    <message>
        <source>Cannot create a folder in the private folder &quot;%1&quot;: %2</source>
        <translation>Impossible de créer un dossier dans le dossier privé « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot create a folder of its own in the private folder &quot;%1&quot;</source>
        <translation>Impossible de créer un dossier propre dans le dossier privé « %1 »</translation>
    </message>
</context>
<context>
    <name>ParallelProbe</name>
    <message>
        <source>Cannot measure &quot;%1&quot;: no program could be started (%2). Try again when fewer programs run</source>
        <translation>Impossible de mesurer « %1 » : aucun programme n&apos;a pu être lancé (%2). Réessayez quand moins de programmes tournent</translation>
    </message>
</context>
<context>
    <name>ProcessLauncher</name>
    <message>
        <source>The program &quot;%1&quot; (%2), which %3, could not be started</source>
        <translation>Le programme « %1 » (%2), qui %3, n&apos;a pas pu être lancé</translation>
    </message>
    <message>
        <source>. Please install the package &quot;%1&quot; again and start Vantrel again</source>
        <translation>. Veuillez réinstaller le paquet « %1 » et relancer Vantrel</translation>
    </message>
    <message>
        <source>. Make sure the &quot;%1&quot; found first on PATH is a working program</source>
        <translation>. Vérifiez que le « %1 » trouvé en premier dans PATH est un programme qui fonctionne</translation>
    </message>
</context>
<context>
    <name>QueueActions</name>
    <message>
        <source>mediainfo finds no playing time in it: it is empty, damaged or not a video</source>
        <translation>mediainfo n&apos;y trouve aucune durée : il est vide, endommagé ou n&apos;est pas une vidéo</translation>
    </message>
    <message>
        <source>there is no FLV file in this folder</source>
        <translation>ce dossier ne contient aucun fichier FLV</translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation>le dossier ne peut pas être lu</translation>
    </message>
</context>
<context>
    <name>QueueKeeper</name>
    <message>
        <source>The list of files left from the last time cannot be used: %1</source>
        <translation>La liste des fichiers restés de la dernière fois est inutilisable : %1</translation>
    </message>
    <message>
        <source>%1. It was renamed to &quot;%2&quot;.</source>
        <translation>%1. Elle a été renommée en « %2 ».</translation>
    </message>
    <message>
        <source>%1. The files in the list are not kept for the next start.</source>
        <translation>%1. Les fichiers de la liste ne sont pas gardés pour le prochain démarrage.</translation>
    </message>
</context>
<context>
    <name>QueueListRules</name>
    <message>
        <source>Nothing on this desktop opens %1.</source>
        <translation>Rien sur ce bureau n&apos;ouvre %1.</translation>
    </message>
</context>
<context>
    <name>QueueModel</name>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>File Name (click to view)</source>
        <translation>Nom (clic : voir)</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progression</translation>
    </message>
    <message>
        <source>Converted File (click to open)</source>
        <translation>Converti (clic : ouvrir)</translation>
    </message>
    <message>
        <source>DEL</source>
        <translation>SUPPR</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>Non converti</translation>
    </message>
    <message>
        <source>Not yet converted</source>
        <translation>Pas encore converti</translation>
    </message>
</context>
<context>
    <name>QueueRowMenu</name>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Réessayer</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>Ouvrir le dossier</translation>
    </message>
</context>
<context>
    <name>RowState</name>
    <message>
        <source>Pending</source>
        <translation>En attente</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Terminé</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Échec</translation>
    </message>
    <message>
        <source>%1% Done</source>
        <translation>%1 % fait</translation>
    </message>
</context>
<context>
    <name>RunSchedule</name>
    <message>
        <source>ffmpeg could not be started for &quot;%1&quot;: %2. The files not converted stay &quot;Pending&quot;; press the button again when fewer programs run</source>
        <translation>ffmpeg n&apos;a pas pu être lancé pour « %1 » : %2. Les fichiers non convertis restent « En attente » ; appuyez de nouveau sur le bouton quand moins de programmes tournent</translation>
    </message>
</context>
<context>
    <name>RunTimeLeft</name>
    <message>
        <source>%1 left</source>
        <translation>%1 restant</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>The settings file &quot;%1&quot; is damaged</source>
        <translation>Le fichier de réglages « %1 » est endommagé</translation>
    </message>
    <message>
        <source> The output folder will not be remembered.</source>
        <translation> Le dossier de sortie ne sera pas mémorisé.</translation>
    </message>
    <message>
        <source>The setting &quot;%1&quot; is not a text</source>
        <translation>Le réglage « %1 » n&apos;est pas un texte</translation>
    </message>
    <message>
        <source>Cannot write the settings file &quot;%1&quot;: it holds text that is not UTF-8</source>
        <translation>Impossible d&apos;écrire le fichier de réglages « %1 » : il contient du texte qui n&apos;est pas de l&apos;UTF-8</translation>
    </message>
    <message>
        <source>Cannot write the settings file &quot;%1&quot;</source>
        <translation>Impossible d&apos;écrire le fichier de réglages « %1 »</translation>
    </message>
    <message>
        <source>Cannot read the settings file &quot;%1&quot;</source>
        <translation>Impossible de lire le fichier de réglages « %1 »</translation>
    </message>
</context>
<context>
    <name>SourceFile</name>
    <message>
        <source>it is not a file</source>
        <translation>ce n&apos;est pas un fichier</translation>
    </message>
    <message>
        <source>there is no such file or folder</source>
        <translation>ce fichier ou dossier n&apos;existe pas</translation>
    </message>
    <message>
        <source>too many levels of links</source>
        <translation>trop de niveaux de liens</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permission refusée</translation>
    </message>
    <message>
        <source>it cannot be read: %1</source>
        <translation>il ne peut pas être lu : %1</translation>
    </message>
</context>
<context>
    <name>StateFile</name>
    <message>
        <source>Cannot create the folder &quot;%1&quot;: %2</source>
        <translation>Impossible de créer le dossier « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot use the folder &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;utiliser le dossier « %1 » : %2</translation>
    </message>
    <message>
        <source>it is a link or no folder</source>
        <translation>c&apos;est un lien ou pas un dossier</translation>
    </message>
    <message>
        <source>belongs to another user</source>
        <translation>appartient à un autre utilisateur</translation>
    </message>
    <message>
        <source>is open to other users; set its mode to 0700</source>
        <translation>est ouvert aux autres utilisateurs ; mettez ses droits à 0700</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; %2</source>
        <translation>Le dossier « %1 » %2</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: %2</source>
        <translation>Impossible de lire « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot read &quot;%1&quot;: it is not a file of yours</source>
        <translation>Impossible de lire « %1 » : ce n&apos;est pas un de vos fichiers</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;écrire « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot remove &quot;%1&quot;: %2</source>
        <translation>Impossible de supprimer « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot rename &quot;%1&quot;: %2</source>
        <translation>Impossible de renommer « %1 » : %2</translation>
    </message>
</context>
<context>
    <name>UnfinishedFile</name>
    <message>
        <source>Cannot create the output file in &quot;%1&quot;: %2</source>
        <translation>Impossible de créer le fichier de sortie dans « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot save the output file in &quot;%1&quot;: %2</source>
        <translation>Impossible d&apos;enregistrer le fichier de sortie dans « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot give the file &quot;%1&quot; its name back: %2</source>
        <translation>Impossible de rendre son nom au fichier « %1 » : %2</translation>
    </message>
    <message>
        <source>Cannot save the output file %1: %2</source>
        <translation>Impossible d&apos;enregistrer le fichier de sortie %1 : %2</translation>
    </message>
    <message>
        <source>Cannot save the output file in &quot;%1&quot;: every name is taken</source>
        <translation>Impossible d&apos;enregistrer le fichier de sortie dans « %1 » : tous les noms sont pris</translation>
    </message>
</context>
<context>
    <name>WebLinks</name>
    <message>
        <source>Video Joiner</source>
        <translation>Video Joiner</translation>
    </message>
    <message>
        <source>DVD Ripper</source>
        <translation>DVD Ripper</translation>
    </message>
    <message>
        <source>Support</source>
        <translation>Assistance</translation>
    </message>
    <message>
        <source>Audio Extractor</source>
        <translation>Audio Extractor</translation>
    </message>
    <message>
        <source>MP4 Converter</source>
        <translation>MP4 Converter</translation>
    </message>
    <message>
        <source>GIF Maker</source>
        <translation>GIF Maker</translation>
    </message>
    <message>
        <source>Screen Recorder</source>
        <translation>Screen Recorder</translation>
    </message>
</context>
<context>
    <name>advantmr</name>
    <message>
        <source>Not enough timers available</source>
        <translation>Pas assez de minuteurs disponibles</translation>
    </message>
</context>
</TS>
